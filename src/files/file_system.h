#pragma once

#include <compare>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

// The file operations that differ between systems, in one place: opening a file by its path, as
// bytes without line-end translation, the system's reason when an operation fails, which file a
// name leads to, replacing one file by another, and making standard output fit for file data.
// Everything else the saves do goes through std::filesystem.

namespace zev {

// Opens path with a stdio mode ("rb", "wbx", ...). Null on failure, with lastSystemError() telling
// why.
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// The reason the last failed system call gave, as an error code.
std::error_code lastSystemError();

// Which file a name leads to: two names with the same identity are one file, whether through
// links, hard links or two spellings of a folder.
struct FileIdentity {
  std::uintmax_t device = 0;
  std::uintmax_t file = 0;

  friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file at path, following links; none when nothing is there or the system
// will not tell.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path);

// Puts the file `from` in the place of `to` in one step, replacing what `to` names when it
// exists. Both are in the same folder.
std::error_code replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Makes the process's standard output fit for file data: bytes without line-end translation, and
// a pipe whose reader has gone away gives a failed write, which the program reports, instead of
// ending the program. A program that writes data to standard output calls it once at its start.
void prepareStandardOutput();

}  // namespace zev
