#pragma once

#include <string_view>

namespace zev {

// The program's version, as the about page shows it and as zev --version and zev-convert --version
// (and its usage text) print it.
inline constexpr std::string_view ZEV_VERSION = "0.93B";

}  // namespace zev
