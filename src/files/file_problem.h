#pragma once

#include <system_error>

// The reasons of the program's own for a file it will not change, where the system's words would
// mislead; error codes like the system's, so that a save reports either the same way.

namespace zev {

enum class FileProblem {
  readOnly = 1,  // no one may write the file: it is kept, also for the administrator
  inUse,         // another program holds the file and lets nobody replace it
};

std::error_code make_error_code(FileProblem problem);

}  // namespace zev

template <>
struct std::is_error_code_enum<zev::FileProblem> : std::true_type {};
