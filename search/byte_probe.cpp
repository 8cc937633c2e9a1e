#include "search/byte_probe.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define BRENVO1_X86 1
#endif

namespace brenvo1::search {

namespace {

bool Matches(const std::uint8_t* at, const BytePair& pair) {
  return (at[pair.first_offset] | pair.first_mask) == pair.first_value &&
         (at[pair.second_offset] | pair.second_mask) == pair.second_value;
}

const std::uint8_t* FindScalar(const std::uint8_t* at, const std::uint8_t* last, const BytePair& pair) {
  for (; at <= last; ++at) {
    if (Matches(at, pair)) return at;
  }
  return nullptr;
}

#if defined(BRENVO1_X86)

const std::uint8_t* FindSse2(const std::uint8_t* at, const std::uint8_t* last, const BytePair& pair) {
  const __m128i first_value = _mm_set1_epi8(static_cast<char>(pair.first_value));
  const __m128i first_mask = _mm_set1_epi8(static_cast<char>(pair.first_mask));
  const __m128i second_value = _mm_set1_epi8(static_cast<char>(pair.second_value));
  const __m128i second_mask = _mm_set1_epi8(static_cast<char>(pair.second_mask));
  // Sixteen starts at a time, all of them at most last.
  while (at <= last && last - at >= 15) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + pair.first_offset));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + pair.second_offset));
    const __m128i both = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, first_mask), first_value),
                                       _mm_cmpeq_epi8(_mm_or_si128(b, second_mask), second_value));
    const unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(both));
    if (hits != 0) return at + __builtin_ctz(hits);
    at += 16;
  }
  return FindScalar(at, last, pair);
}

__attribute__((target("avx2"))) const std::uint8_t* FindAvx2(const std::uint8_t* at, const std::uint8_t* last,
                                                             const BytePair& pair) {
  const __m256i first_value = _mm256_set1_epi8(static_cast<char>(pair.first_value));
  const __m256i first_mask = _mm256_set1_epi8(static_cast<char>(pair.first_mask));
  const __m256i second_value = _mm256_set1_epi8(static_cast<char>(pair.second_value));
  const __m256i second_mask = _mm256_set1_epi8(static_cast<char>(pair.second_mask));
  // Thirty-two starts at a time, all of them at most last.
  while (at <= last && last - at >= 31) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + pair.first_offset));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + pair.second_offset));
    const __m256i both = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(a, first_mask), first_value),
                                          _mm256_cmpeq_epi8(_mm256_or_si256(b, second_mask), second_value));
    const unsigned hits = static_cast<unsigned>(_mm256_movemask_epi8(both));
    if (hits != 0) return at + __builtin_ctz(hits);
    at += 32;
  }
  return FindSse2(at, last, pair);
}

using FindFunction = const std::uint8_t* (*)(const std::uint8_t*, const std::uint8_t*, const BytePair&);

FindFunction BestFind() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? FindAvx2 : FindSse2;
}

#endif

}  // namespace

const std::uint8_t* FindBytePair(const std::uint8_t* at, const std::uint8_t* last, const BytePair& pair) {
#if defined(BRENVO1_X86)
  static const FindFunction find = BestFind();
  return find(at, last, pair);
#else
  return FindScalar(at, last, pair);
#endif
}

}  // namespace brenvo1::search
