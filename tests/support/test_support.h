#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Helpers shared by the test suites only; production code never links them.

namespace zev::test {

// Path of a file under tests/data.
std::string dataPath(std::string_view name);

std::string readWholeFile(const std::filesystem::path& path);
void writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes bytes into a file of that name in the folder and returns its full path.
  std::string write(std::string_view name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace zev::test
