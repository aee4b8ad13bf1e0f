#include "pz2/pz2_save.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace zev {

namespace {

// Keeps the permissions of a file being replaced; a new file gets those that open() would give.
mode_t permissionsFor(const std::string& path) {
  struct stat existing;
  if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    return existing.st_mode & 07777;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool writeAndClose(std::FILE* file, void (*write)(Pz2Sink& sink)) {
  Pz2FileSink sink(file);
  write(sink);
  bool ok = !sink.failed();
  ok = std::fflush(file) == 0 && ok;
  ok = ::fsync(::fileno(file)) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

}  // namespace

std::string bvhFileTitleOf(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

std::string proposedPz2Name(std::string_view bvhFileTitle) {
  return std::string(bvhFileTitle) + ".pz2";
}

bool saveThroughTemporaryFile(const std::string& path, void (*write)(Pz2Sink& sink)) {
  // A file the user may not write keeps its content, as when opening it for writing fails: the
  // rename below would replace it with the folder's permission alone.
  if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) return false;
  std::string temporary = path + ".XXXXXX";
  const int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) return false;
  std::FILE* file = nullptr;
  if (::fchmod(descriptor, permissionsFor(path)) == 0) file = ::fdopen(descriptor, "wb");
  if (file == nullptr) {
    ::close(descriptor);
    ::unlink(temporary.c_str());
    return false;
  }
  if (!writeAndClose(file, write) || std::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool savePz2File(const std::string& path) { return saveThroughTemporaryFile(path, writePz2File); }

}  // namespace zev
