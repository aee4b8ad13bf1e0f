#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// How the reader looks through a BVH file's text: eight characters as one word, sixteen compared
// at once, a motion line's separators as bits. The same on every platform; where the processor
// has them, its vector instructions do the comparing.

namespace zev {

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
inline bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Eight characters as one word, the first in the lowest byte.
static_assert(std::endian::native == std::endian::little);
inline constexpr std::uint64_t EVERY_BYTE = 0x0101010101010101;

inline std::uint64_t loadEight(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// The first c1 or c2 among the size characters at chars, or null: memchr, on every platform
// (the browser build's C library looks at a word at a time).
const char* findEither(const char* chars, std::size_t size, char c1, char c2);

// The blanks and tabs among characters 64 * word to 64 * word + 63 of text as bits, the first in
// the lowest; characters beyond the text count as none.
std::uint64_t separatorBits(std::string_view text, std::size_t word);

// The separators of a motion line up to its first line end, walked in order a word of 64
// characters at a time, so that the values between two needed ones are passed without looking at
// them. It serves lines as Poser writes them: one blank or tab between two values. Where two stand
// together the walk gives up, and the line is read value by value.
class SeparatorWalk {
 public:
  static constexpr std::size_t NONE = std::string_view::npos;

  explicit SeparatorWalk(std::string_view text) : text_(text), words_((text.size() + 63) / 64) {
    // The first value starts at 0 whatever stands there, so a separator there is not counted.
    if (words_ > 0 && load()) bits_ &= ~std::uint64_t{1};
  }

  // Where the k-th separator stands (counted from 1, k greater than at the last call); NONE when
  // the text holds fewer or two stand together before it.
  std::size_t separator(int k) {
    std::uint64_t bits = bits_;
    for (; counted_ < k - 1; ++counted_) {
      if (bits == 0 && (bits = nextWord()) == 0) return NONE;
      bits &= bits - 1;
    }
    if (bits == 0 && (bits = nextWord()) == 0) return NONE;
    counted_ = k;
    bits_ = bits & (bits - 1);
    return 64 * word_ + static_cast<std::size_t>(std::countr_zero(bits));
  }

 private:
  // The separators of the next word that holds any; 0 when none is left or two stand together.
  std::uint64_t nextWord() {
    while (++word_ < words_ && load()) {
      if (bits_ != 0) return bits_;
    }
    return 0;
  }

  bool load() {
    const std::uint64_t bits = separatorBits(text_, word_);
    if ((bits & (bits >> 1)) != 0 || (lastBit_ & bits) != 0) {
      words_ = word_;  // nothing further is given out
      bits_ = 0;
      return false;
    }
    lastBit_ = bits >> 63;
    bits_ = bits;
    return true;
  }

  std::string_view text_;
  std::size_t words_;
  std::size_t word_ = 0;
  std::uint64_t bits_ = 0;     // separators of the current word not yet given out
  std::uint64_t lastBit_ = 0;  // whether the previous word ended in a separator
  int counted_ = 0;            // separators passed
};

}  // namespace zev
