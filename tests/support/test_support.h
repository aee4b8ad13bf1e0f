#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
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

// Everything under folder by its path relative to it: a file's bytes, "(folder)", "-> TARGET" for
// a link, "(fifo)" or "(device)". A leftover temporary file or a replaced link shows up here.
std::map<std::string, std::string> folderContents(const std::filesystem::path& folder);

// Makes a character device at path with the numbers of a system device (1, 3 discards what it is
// sent, 1, 7 answers every write with "No space left on device"), so that tests write to one of
// their own instead of the system's. False where the system does not permit it.
bool makeCharacterDevice(const std::filesystem::path& path, unsigned major, unsigned minor);

// Runs check as a user whom file permissions bind: in this process when it is such a user,
// otherwise in a child process that has become the user "nobody" (the folders on the way must let
// that user in). Whether check held, or none where no such user can be had.
std::optional<bool> asOrdinaryUser(const std::function<bool()>& check);

// A small memory file system mounted on a folder for as long as this lives, so that a test meets
// a full disk. Mounting needs the right to; mounted() tells whether it happened.
class MemoryMount {
 public:
  MemoryMount(const std::filesystem::path& folder, int kilobytes);
  ~MemoryMount();
  MemoryMount(const MemoryMount&) = delete;
  MemoryMount& operator=(const MemoryMount&) = delete;

  bool mounted() const { return mounted_; }

 private:
  std::filesystem::path folder_;
  bool mounted_;
};

}  // namespace zev::test
