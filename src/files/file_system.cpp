#include "files/file_system.h"

#include <sys/stat.h>

#include <cerrno>
#include <csignal>

// The POSIX implementation.

namespace zev {

std::filesystem::path pathFromUtf8(std::string_view name) { return name; }

std::size_t fileNameOffset(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::FILE* createNewFile(const std::filesystem::path& path) { return openFile(path, "wbx"); }

std::error_code lastSystemError() { return {errno, std::generic_category()}; }

// Opening for appending creates and changes nothing.
std::error_code writeAccess(const std::filesystem::path& path) {
  std::FILE* probe = openFile(path, "ab");
  if (probe == nullptr) return lastSystemError();
  std::fclose(probe);
  return {};
}

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
