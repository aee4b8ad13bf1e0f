#include "files/safe_save.h"

#include <chrono>
#include <cstdio>

#include "files/file_system.h"

namespace zev {

namespace {

namespace fs = std::filesystem;

// Saving over a link replaces the file it points to, as writing through the link would.
fs::path saveTarget(const fs::path& path) {
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
std::error_code mayReplace(const fs::path& target) {
  std::error_code error;
  if (!fs::exists(target, error)) return {};
  std::FILE* probe = openFile(target, "ab");
  if (probe == nullptr) return lastSystemError();
  std::fclose(probe);
  return {};
}

// A short name of its own in the target's folder ("x" opens only a file it creates), so a long
// target name still leaves room for it. Concurrent saves into one folder each get their own.
std::FILE* createTemporary(const fs::path& target, fs::path& temporary, std::error_code& error) {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = target.parent_path() /
                (".zev-" + std::to_string(stamp) + "-" + std::to_string(attempt) + ".tmp");
    if (std::FILE* file = openFile(temporary, "wbx")) return file;
    error = lastSystemError();
    if (error != std::errc::file_exists) return nullptr;
  }
  return nullptr;
}

std::error_code writeAndClose(std::FILE* file, const std::function<void(TextSink&)>& write) {
  FileSink sink(file);
  write(sink);
  std::error_code error = sink.error();
  if (std::fflush(file) != 0 && !error) error = lastSystemError();
  if (std::fclose(file) != 0 && !error) error = lastSystemError();
  return error;
}

}  // namespace

SaveResult saveThroughTemporaryFile(const fs::path& path,
                                    const std::function<void(TextSink& sink)>& write) {
  const auto failed = [&path](std::error_code error) { return SaveResult{error, path.string()}; };
  const fs::path target = saveTarget(path);
  if (std::error_code refused = mayReplace(target)) return failed(refused);
  fs::path temporary;
  std::error_code error;
  std::FILE* file = createTemporary(target, temporary, error);
  if (file == nullptr) return failed(error);
  // The new file keeps the permissions of the one it replaces where the file system allows it.
  const fs::file_status replaced = fs::status(target, error);
  if (!error && fs::is_regular_file(replaced)) {
    fs::permissions(temporary, replaced.permissions(), error);
  }
  error = writeAndClose(file, write);
  if (!error && std::rename(temporary.c_str(), target.c_str()) != 0) error = lastSystemError();
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return failed(error);
  }
  return {};
}

}  // namespace zev
