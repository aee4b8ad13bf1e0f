#pragma once

#include <string>
#include <string_view>

// A file name as a message shows it: its control characters (a line feed, a tab, an escape)
// written as ls writes them, "\n", "\t", "\033", so that a name never splits a message's line or
// steers the terminal. Every other byte, UTF-8 included, stays as it is.

namespace zev {

std::string printableName(std::string_view name);

}  // namespace zev
