#include "bvh/text_scan.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace zev {

namespace {

// Sixteen characters at once, and the answers of a comparison of them, a byte of 0 or 0xFF each.
using Chars = char __attribute__((vector_size(16)));
using Marks = signed char __attribute__((vector_size(16)));

Chars loadSixteen(const char* chars) {
  Chars block;
  std::memcpy(&block, chars, sizeof block);
  return block;
}

// The sixteen answers as the low sixteen bits, the first in the lowest. Where the processor can,
// one instruction gathers them.
std::uint32_t bitsOf(Marks marks) {
#if defined(__SSE2__)
  __m128i lanes;
  std::memcpy(&lanes, &marks, sizeof lanes);
  return static_cast<std::uint32_t>(_mm_movemask_epi8(lanes));
#elif defined(__wasm_simd128__)
  v128_t lanes;
  std::memcpy(&lanes, &marks, sizeof lanes);
  return wasm_i8x16_bitmask(lanes);
#else
  // Each byte's lowest bit, gathered into the top byte by one multiplication.
  std::uint64_t halves[2];
  std::memcpy(halves, &marks, sizeof halves);
  const auto gather = [](std::uint64_t bytes) {
    return static_cast<std::uint32_t>(((bytes & EVERY_BYTE) * 0x0102040810204080) >> 56);
  };
  return gather(halves[0]) | gather(halves[1]) << 8;
#endif
}

}  // namespace

// Sixteen characters at a time, and 64 between two looks.
const char* findEither(const char* chars, std::size_t size, char c1, char c2) {
  const auto matches = [c1, c2](const char* at) {
    const Chars block = loadSixteen(at);
    return (block == c1) | (block == c2);
  };
  std::size_t i = 0;
  for (; i + 64 <= size; i += 64) {
    const Marks any = matches(chars + i) | matches(chars + i + 16) | matches(chars + i + 32) |
                      matches(chars + i + 48);
    if (bitsOf(any) != 0) break;
  }
  for (; i + 16 <= size; i += 16) {
    if (const std::uint32_t found = bitsOf(matches(chars + i))) {
      return chars + i + static_cast<std::size_t>(std::countr_zero(found));
    }
  }
  for (; i < size; ++i) {
    if (chars[i] == c1 || chars[i] == c2) return chars + i;
  }
  return nullptr;
}

// The blanks and tabs among characters 64 * word to 64 * word + 63 of text as bits, the first in
// the lowest; characters beyond the text count as none.
std::uint64_t separatorBits(std::string_view text, std::size_t word) {
  constexpr std::size_t WORD_CHARS = 64;
  constexpr std::size_t BLOCK = 16;
  const std::size_t start = WORD_CHARS * word;
  const std::size_t end = std::min(text.size(), start + WORD_CHARS);
  std::uint64_t bits = 0;
  std::size_t i = start;
  for (; i + BLOCK <= end; i += BLOCK) {
    const Chars block = loadSixteen(text.data() + i);
    bits |= std::uint64_t{bitsOf((block == ' ') | (block == '\t'))} << (i - start);
  }
  for (; i < end; ++i) bits |= std::uint64_t{isBlank(text[i])} << (i - start);
  return bits;
}

}  // namespace zev
