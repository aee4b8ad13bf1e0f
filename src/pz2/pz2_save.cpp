#include "pz2/pz2_save.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace zev {

namespace {

namespace fs = std::filesystem;

// Saving over a link replaces the file it points to, as writing through the link would.
fs::path saveTarget(const std::string& path) {
  std::error_code error;
  if (fs::is_symlink(path, error)) {
    fs::path resolved = fs::canonical(path, error);
    if (!error) return resolved;
  }
  return path;
}

// A file the user may not write keeps its content, as when opening it for writing fails: the
// rename would replace it with the folder's permission alone. Opening for appending creates and
// changes nothing.
bool mayReplace(const fs::path& target) {
  std::error_code error;
  if (!fs::exists(target, error)) return true;
  std::FILE* probe = std::fopen(target.c_str(), "ab");
  if (probe == nullptr) return false;
  std::fclose(probe);
  return true;
}

// A short name of its own in the target's folder ("x" opens only a file it creates), so a long
// target name still leaves room for it.
std::FILE* createTemporary(const fs::path& target, fs::path& temporary) {
  static unsigned long counter = 0;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = target.parent_path() /
                (".zev-" + std::to_string(stamp) + "-" + std::to_string(++counter) + ".tmp");
    if (std::FILE* file = std::fopen(temporary.c_str(), "wbx")) return file;
  }
  return nullptr;
}

bool writeAndClose(std::FILE* file, void (*write)(Pz2Sink& sink)) {
  Pz2FileSink sink(file);
  write(sink);
  bool ok = !sink.failed();
  ok = std::fflush(file) == 0 && ok;
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
  const fs::path target = saveTarget(path);
  if (!mayReplace(target)) return false;
  fs::path temporary;
  std::FILE* file = createTemporary(target, temporary);
  if (file == nullptr) return false;
  // The new file keeps the permissions of the one it replaces where the file system allows it.
  std::error_code error;
  const fs::file_status replaced = fs::status(target, error);
  if (!error && fs::is_regular_file(replaced)) {
    fs::permissions(temporary, replaced.permissions(), error);
  }
  if (!writeAndClose(file, write) || std::rename(temporary.c_str(), target.c_str()) != 0) {
    fs::remove(temporary, error);
    return false;
  }
  return true;
}

bool savePz2File(const std::string& path) { return saveThroughTemporaryFile(path, writePz2File); }

}  // namespace zev
