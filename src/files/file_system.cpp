#include "files/file_system.h"

#include <sys/stat.h>

#include <cerrno>
#include <csignal>

// The POSIX implementation.

namespace zev {

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::error_code lastSystemError() { return {errno, std::generic_category()}; }

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uintmax_t>(info.st_dev),
                      static_cast<std::uintmax_t>(info.st_ino)};
}

std::error_code replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return lastSystemError();
  return {};
}

void prepareStandardOutput() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace zev
