#ifndef TAVELO_READING_CONTENT_HASH_AVX2_H
#define TAVELO_READING_CONTENT_HASH_AVX2_H
/* XXH3-128 computed with AVX2; only for a processor that has it. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

void TaveloHash128Avx2(const void* bytes, size_t size, uint64_t* low, uint64_t* high);

#ifdef __cplusplus
}
#endif

#endif
