#pragma once

#include <compare>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

// The file operations that differ between systems, in one place: file names as the program holds
// them, opening a file by its path, as bytes without line-end translation, the system's reason
// when an operation fails, whether a file may be written, which file a name leads to, replacing
// one file by another, and making standard output fit for file data. Everything else the saves do
// goes through std::filesystem. file_system.cpp is the POSIX implementation,
// file_system_windows.cpp the Windows one.

namespace zev {

// The path a file name stands for. The program holds names as UTF-8 on every system, as they come
// from the command line (std::filesystem::path of a std::string would read it in the system's
// narrow encoding, which on Windows is not UTF-8).
std::filesystem::path pathFromUtf8(std::string_view name);

// Where the file's own name starts in a path as the program holds it: after the last folder
// separator ("/", and on Windows also "\" and the ":" of a drive); 0 when it names no folder.
std::size_t fileNameOffset(std::string_view path);

// Opens path with a stdio mode ("rb", "ab", "wb"). Null on failure, with lastSystemError() telling
// why.
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// Creates a new file at path and opens it for writing bytes; null, with lastSystemError() telling
// why, when something of that name is already there or it cannot be made.
std::FILE* createNewFile(const std::filesystem::path& path);

// The reason the last failed system call gave, as an error code.
std::error_code lastSystemError();

// Whether the user may change the existing file at path, as opening it for writing would tell,
// without changing it: the system's reason when not.
std::error_code writeAccess(const std::filesystem::path& path);

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
