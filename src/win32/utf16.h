#pragma once

#include <string>
#include <string_view>

// Text as the program holds it (UTF-8) and as Windows takes it (UTF-16).

namespace zev {

std::wstring toUtf16(std::string_view text);
std::string toUtf8(std::wstring_view text);

}  // namespace zev
