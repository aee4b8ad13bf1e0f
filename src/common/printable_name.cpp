#include "common/printable_name.h"

namespace zev {

std::string printableName(std::string_view name) {
  static constexpr std::string_view LETTERS = "abtnvfr";  // \a (7) to \r (13)
  std::string shown;
  shown.reserve(name.size());
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      shown.push_back(c);
    } else if (byte >= '\a' && byte <= '\r') {
      shown.push_back('\\');
      shown.push_back(LETTERS[byte - '\a']);
    } else {
      shown += {'\\', static_cast<char>('0' + (byte >> 6)),
                static_cast<char>('0' + (byte >> 3 & 7)), static_cast<char>('0' + (byte & 7))};
    }
  }
  return shown;
}

}  // namespace zev
