#pragma once

#include <compare>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "files/file_problem.h"

// The file operations that differ between systems, in one place: file names as the program holds
// and compares them, opening a file by its path, as bytes without line-end translation, the
// system's reason when an operation fails, whether a file may be written, which file a name leads
// to, the null device and the process's own streams, a replaced file's owner and mode, bringing a
// file and a folder to the disk, replacing one file by another, and making standard output fit
// for file data. Everything else the saves do goes through std::filesystem. file_system.cpp is the
// POSIX implementation, file_system_windows.cpp the Windows one.

namespace zev {

// The path a file name stands for. The program holds names as UTF-8 on every system, as they come
// from the command line (std::filesystem::path of a std::string would read it in the system's
// narrow encoding, which on Windows is not UTF-8).
std::filesystem::path pathFromUtf8(std::string_view name);

// A path as the file system compares names, for telling whether two names of files not yet made
// are one: path itself, which must be absolute and lexically normal, where names differ by case
// (POSIX); in capitals where they do not (Windows).
std::filesystem::path nameAsCompared(const std::filesystem::path& path);

// Where the file's own name starts in a path as the program holds it: after the last folder
// separator ("/", and on Windows also "\" and the ":" of a drive); 0 when it names no folder.
std::size_t fileNameOffset(std::string_view path);

// Opens path with a stdio mode ("rb", "ab", "wb"). Null on failure, with lastSystemError() telling
// why.
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// Creates a new file at path and opens it for writing bytes; null, with lastSystemError() telling
// why, when something of that name is already there or it cannot be made.
std::FILE* createNewFile(const std::filesystem::path& path);

// Writes through a duplicate of one of the process's own open descriptors, at its offset, as
// bytes; closing it leaves the descriptor open. Null on failure, with lastSystemError() telling
// why.
std::FILE* openDescriptor(int descriptor);

// The reason the last failed system call gave, as an error code.
std::error_code lastSystemError();

// Whether the user may change the existing file at path, as opening it for writing would tell,
// without changing it: the system's reason when not. A read-only file is refused whoever asks.
std::error_code writeAccess(const std::filesystem::path& path);

// Whether path names the null device (/dev/null, or a device of its kind; NUL on Windows), which
// any number of outputs may share.
bool isNullDevice(const std::filesystem::path& path);

// The descriptor of one of the process's own open streams that path names, such as /dev/stdout,
// /dev/fd/3 or /proc/self/fd/1, also through links; on Windows CON and CONOUT$, which stand for
// standard output (1). Such a stream is written into, never replaced.
std::optional<int> ownStreamOf(const std::filesystem::path& path);

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

// How many names (hard links) the file at path has; 1 when the system will not tell.
std::uintmax_t linkCount(const std::filesystem::path& path);

// Gives the open new file the mode, owner and group of the file at `replaced`, as far as the
// system lets this user.
void takeOwnerAndMode(std::FILE* file, const std::filesystem::path& replaced);

// Brings what was written to the open file onto the disk, so that it survives a power loss.
std::error_code flushToDisk(std::FILE* file);

// Brings the folder's names onto the disk (those of files just renamed into it).
std::error_code flushFolderToDisk(const std::filesystem::path& folder);

// Puts the file `from` in the place of `to` in one step, replacing what `to` names when it
// exists. Both are in the same folder. Where another program holds `to` for a moment (Windows),
// it tries again for about a second before it gives up.
std::error_code replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Makes the process's standard output fit for file data: bytes without line-end translation, and
// a pipe whose reader has gone away gives a failed write, which the program reports, instead of
// ending the program. A program that writes data to standard output calls it once at its start.
void prepareStandardOutput();

}  // namespace zev
