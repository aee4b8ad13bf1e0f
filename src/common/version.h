#pragma once

#include <string_view>

namespace zev {

// The program's version, as the about page, the converter and the installed files show it.
inline constexpr std::string_view ZEV_VERSION = "0.93B";

}  // namespace zev
