#pragma once

#include <array>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <string_view>

// Text of a fixed capacity on the stack, for messages and numbers built while a conversion runs:
// nothing is allocated. What does not fit is cut off at the capacity.

namespace zev {

template <std::size_t CAPACITY>
class FixedText {
 public:
  FixedText() = default;
  explicit FixedText(std::string_view text) { append(text); }

  FixedText& append(std::string_view text) {
    const std::size_t taken = text.size() < CAPACITY - length_ ? text.size() : CAPACITY - length_;
    if (taken > 0) std::memcpy(chars_.data() + length_, text.data(), taken);
    length_ += taken;
    return *this;
  }
  FixedText& append(char c) {
    if (length_ < CAPACITY) chars_[length_++] = c;
    return *this;
  }
  FixedText& append(long long number) {
    std::array<char, 24> digits;
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
    return append(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
  }
  FixedText& append(int number) { return append(static_cast<long long>(number)); }

  void clear() { length_ = 0; }
  bool empty() const { return length_ == 0; }
  std::string_view view() const { return {chars_.data(), length_}; }

 private:
  // Only the first length_ characters are ever read, so the rest is left unset.
  std::array<char, CAPACITY> chars_;
  std::size_t length_ = 0;
};

}  // namespace zev
