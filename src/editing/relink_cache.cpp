#include "editing/relink_cache.h"

#include "reading/content_hash.h"
#include "reading/text_cache.h"

namespace tavelo {

RelinkSources CacheRelinkSources(std::shared_ptr<TextCache> cache)
{
    RelinkSources sources;
    if (!cache || !cache->Enabled())
        return sources;
    sources.lastSeen = [cache](const std::string& path) -> std::optional<LastSeenFile> {
        const std::optional<KnownFile> known = cache->LastSeen(path);
        if (!known)
            return std::nullopt;
        return LastSeenFile{known->size, known->hash};
    };
    sources.hash = [](const std::string& path) -> std::optional<FileDigest> {
        std::string reason;
        return HashFile(path, reason);
    };
    return sources;
}

} // namespace tavelo
