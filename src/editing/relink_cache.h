#pragma once
// The content step of the relinking, fed by the text cache of the search:
// the cache keeps, for each path a search has read, the size and the hash of
// the bytes it had then, so a document renamed since can be recognised among
// the files of its size.

#include <memory>

#include "editing/relink.h"

namespace tavelo {

class TextCache;

// What the cache last saw at a path, and the hash of a found file (the
// cache's own hash of the bytes). A disabled cache knows nothing.
RelinkSources CacheRelinkSources(std::shared_ptr<TextCache> cache);

} // namespace tavelo
