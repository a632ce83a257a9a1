/* XXH3 with the 256-bit vectors of AVX2: this file alone is compiled for
 * AVX2, and content_hash.cpp calls it only on a processor that has them.
 * Everything here is static but the one entry, so that no code made for AVX2
 * stands in for the generic one elsewhere. The hash is the same whichever
 * vectors compute it. */
#define XXH_INLINE_ALL
#include <xxhash.h>

#include "reading/content_hash_avx2.h"

void TaveloHash128Avx2(const void* bytes, size_t size, uint64_t* low, uint64_t* high)
{
    const XXH128_hash_t hash = XXH3_128bits(bytes, size);
    *low = hash.low64;
    *high = hash.high64;
}
