#include "support/test_support.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace zev::test {

std::string dataPath(std::string_view name) {
  return std::string(ZEV_TEST_DATA_DIR) + "/" + std::string(name);
}

std::string readWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

TempDir::TempDir() {
  // A random name, made only if no folder has it yet: tests running at once each get their own.
  std::mt19937_64 random(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = std::filesystem::temp_directory_path() / ("zev-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(path_)) return;
  }
  throw std::runtime_error("cannot make a folder under " +
                           std::filesystem::temp_directory_path().string());
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(std::string_view name, std::string_view bytes) const {
  const std::filesystem::path file = path_ / name;
  writeWholeFile(file, bytes);
  return file.string();
}

std::map<std::string, std::string> folderContents(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> contents;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().lexically_relative(folder).string();
    if (entry.is_symlink()) {
      contents[name] = "-> " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      contents[name] = "(folder)";
    } else if (entry.is_fifo()) {
      contents[name] = "(fifo)";
    } else if (entry.is_character_file()) {
      contents[name] = "(device)";
    } else {
      contents[name] = readWholeFile(entry.path());
    }
  }
  return contents;
}

}  // namespace zev::test
