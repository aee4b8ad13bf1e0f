#pragma once

#include <cstdio>
#include <filesystem>
#include <system_error>

// The file operations that differ between systems, in one place: opening a file by its path, as
// bytes without line-end translation, and the system's reason when an operation fails.

namespace zev {

// Opens path with a stdio mode ("rb", "wbx", ...). Null on failure, with lastSystemError() telling
// why.
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// The reason the last failed system call gave, as an error code.
std::error_code lastSystemError();

}  // namespace zev
