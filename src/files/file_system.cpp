#include "files/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <string>

// The POSIX implementation.

namespace zev {

namespace fs = std::filesystem;

namespace {

// As many links in a row as the system itself follows before it gives up.
constexpr int MAX_LINKS_FOLLOWED = 40;

// The descriptor that a path of the process's descriptor folder names, as spelt: /dev/fd/N,
// /proc/self/fd/N, /proc/thread-self/fd/N, /proc/PID/fd/N and /proc/PID/task/TID/fd/N with this
// process's PID, or the standard streams' own names.
std::optional<int> descriptorNamed(const fs::path& path, const fs::path& ownProcessFolder) {
  if (path == "/dev/stdin") return 0;
  if (path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  const fs::path folder = path.parent_path();
  const bool descriptorFolder = folder == "/dev/fd" || folder == "/proc/self/fd" ||
                                folder == "/proc/thread-self/fd" ||
                                folder == ownProcessFolder / "fd" ||
                                (folder.filename() == "fd" &&
                                 folder.parent_path().parent_path() == ownProcessFolder / "task");
  if (!descriptorFolder) return std::nullopt;
  const std::string name = path.filename().string();
  int descriptor = -1;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), descriptor);
  if (error != std::errc() || end != name.data() + name.size() || descriptor < 0) {
    return std::nullopt;
  }
  return descriptor;
}

}  // namespace

std::filesystem::path pathFromUtf8(std::string_view name) { return name; }

fs::path nameAsCompared(const fs::path& path) { return path; }

std::size_t fileNameOffset(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::FILE* createNewFile(const std::filesystem::path& path) { return openFile(path, "wbx"); }

std::FILE* openDescriptor(int descriptor) {
  const int duplicate = ::dup(descriptor);
  if (duplicate < 0) return nullptr;
  std::FILE* file = ::fdopen(duplicate, "wb");
  if (file == nullptr) {
    const int reason = errno;
    ::close(duplicate);
    errno = reason;
  }
  return file;
}

std::error_code lastSystemError() { return {errno, std::generic_category()}; }

// Opening for appending creates and changes nothing. The permission bits bind the administrator
// too: a file that nobody may write is one its owner meant to keep.
std::error_code writeAccess(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
      (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    return FileProblem::readOnly;
  }
  std::FILE* probe = openFile(path, "ab");
  if (probe == nullptr) return lastSystemError();
  std::fclose(probe);
  return {};
}

bool isNullDevice(const fs::path& path) {
  struct stat info;
  struct stat null;
  return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode) &&
         ::stat("/dev/null", &null) == 0 && info.st_rdev == null.st_rdev;
}

std::optional<int> ownStreamOf(const fs::path& path) {
  std::error_code error;
  const fs::path ownProcessFolder = "/proc" / fs::read_symlink("/proc/self", error);
  fs::path current = fs::absolute(path, error).lexically_normal();
  if (error) return std::nullopt;
  for (int followed = 0; followed <= MAX_LINKS_FOLLOWED; ++followed) {
    if (const std::optional<int> descriptor = descriptorNamed(current, ownProcessFolder)) {
      return descriptor;
    }
    // A folder reached through a link of its own, such as /dev/fd.
    const fs::path folder = fs::canonical(current.parent_path(), error);
    if (!error) {
      if (const std::optional<int> descriptor =
              descriptorNamed(folder / current.filename(), ownProcessFolder)) {
        return descriptor;
      }
    }
    if (!fs::is_symlink(current, error)) return std::nullopt;
    const fs::path named = fs::read_symlink(current, error);
    if (error) return std::nullopt;
    current = (named.is_absolute() ? named : current.parent_path() / named).lexically_normal();
  }
  return std::nullopt;
}

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uintmax_t>(info.st_dev),
                      static_cast<std::uintmax_t>(info.st_ino)};
}

std::uintmax_t linkCount(const fs::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return 1;
  return static_cast<std::uintmax_t>(info.st_nlink);
}

// The owner and the group each on their own: an ordinary user may still give the file a group of
// theirs where only the administrator may give it to another user. The mode comes last, since a
// change of owner clears its set-user bits.
void takeOwnerAndMode(std::FILE* file, const fs::path& replaced) {
  struct stat info;
  if (::stat(replaced.c_str(), &info) != 0) return;
  const int descriptor = ::fileno(file);
  if (::fchown(descriptor, info.st_uid, static_cast<gid_t>(-1)) != 0) {
    // Not the administrator: the new file stays this user's.
  }
  if (::fchown(descriptor, static_cast<uid_t>(-1), info.st_gid) != 0) {
    // Not a member of that group: the new file keeps this user's group.
  }
  ::fchmod(descriptor, info.st_mode & 07777);
}

// A file system that keeps nothing to flush (a memory one) answers EINVAL.
std::error_code flushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return lastSystemError();
  if (::fsync(::fileno(file)) != 0 && errno != EINVAL) return lastSystemError();
  return {};
}

std::error_code flushFolderToDisk(const fs::path& folder) {
  const int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (descriptor < 0) return lastSystemError();
  std::error_code error;
  if (::fsync(descriptor) != 0 && errno != EINVAL) error = lastSystemError();
  ::close(descriptor);
  return error;
}

std::error_code replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return lastSystemError();
  return {};
}

void prepareStandardOutput() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace zev
