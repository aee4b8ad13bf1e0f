// The file operations as Windows does them, each where the C library or std::filesystem alone
// would go wrong there.

#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "files/file_system.h"
#include "files/safe_save.h"
#include "pz2/pz2_save.h"
#include "support/test_support.h"

namespace zev {
namespace {

namespace fs = std::filesystem;

// "Bewegung-ü-日本" as the program holds it.
const std::string UNICODE_TITLE = "Bewegung-\xC3\xBC-\xE6\x97\xA5\xE6\x9C\xAC";

std::string utf8NameOf(const fs::path& path) {
  const std::u8string name = path.filename().u8string();
  return {name.begin(), name.end()};
}

void writeNew(TextSink& sink) { sink.write("new pose\n"); }

// Each case prepares the folder and gives the file to save; then the save succeeds and the folder
// holds just the new file, or it fails with the reason and the folder is as it was.
TEST(FileSystemWindows, SavesAsOnOtherSystems) {
  const struct {
    const char* name;
    std::function<fs::path(const test::TempDir& dir)> prepare;
    std::string reason = {};  // empty: the save succeeds
  } cases[] = {
      {"over an existing file",
       [](const test::TempDir& dir) { return fs::path(dir.write("walk.pz2", "old pose\n")); }},
      {"over a read-only file",
       [](const test::TempDir& dir) {
         const fs::path file = dir.write("walk.pz2", "old pose\n");
         SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
         return file;
       },
       "the file is read-only"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const test::TempDir dir;
    const fs::path target = c.prepare(dir);
    const auto before = test::folderContents(dir.path());

    const SaveResult saved = saveThroughTemporaryFile(target, writeNew);
    if (c.reason.empty()) {
      EXPECT_TRUE(saved.ok()) << saved.reason();
      EXPECT_EQ(test::folderContents(dir.path()),
                (std::map<std::string, std::string>{{"walk.pz2", "new pose\n"}}));
    } else {
      EXPECT_EQ(saved.reason(), c.reason);
      EXPECT_EQ(test::folderContents(dir.path()), before);
    }
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST(FileSystemWindows, KeepsTheNameOutsideAscii) {
  const test::TempDir dir;
  const fs::path target = pathFromUtf8(dir.path().string() + "\\" + UNICODE_TITLE + ".pz2");
  ASSERT_TRUE(saveThroughTemporaryFile(target, writeNew).ok());
  EXPECT_EQ(utf8NameOf(fs::directory_iterator(dir.path())->path()), UNICODE_TITLE + ".pz2");
}

// Another program (Poser, say) holds the pose file open and lets nobody replace it; the save says
// so once its tries are over.
TEST(FileSystemWindows, AFileInUseStaysAsItWas) {
  const test::TempDir dir;
  const fs::path target = dir.write("walk.pz2", "old pose\n");
  const HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const SaveResult saved = saveThroughTemporaryFile(target, writeNew);
  CloseHandle(held);
  EXPECT_EQ(saved.reason(), "the file is in use by another program");
  EXPECT_EQ(test::readWholeFile(target), "old pose\n");
  EXPECT_EQ(test::folderContents(dir.path()).size(), 1u) << "a temporary file is left";
}

// Another save (or a virus scanner) holds the file for a moment while the rename is due: the save
// tries again and replaces it once it is free. The hold ends once the new text waits beside it.
TEST(FileSystemWindows, AFileHeldForAMomentIsReplacedOnceFree) {
  const test::TempDir dir;
  const fs::path target = dir.write("walk.pz2", "old pose\n");
  const HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread release([&dir, held] {
    while (test::folderContents(dir.path()).size() < 2) std::this_thread::yield();
    CloseHandle(held);
  });
  const SaveResult saved = saveThroughTemporaryFile(target, writeNew);
  release.join();
  EXPECT_TRUE(saved.ok()) << saved.reason();
  EXPECT_EQ(test::folderContents(dir.path()),
            (std::map<std::string, std::string>{{"walk.pz2", "new pose\n"}}));
}

// The C library would ignore "x" and empty the file.
TEST(FileSystemWindows, ANewFileIsNeverOneThatIsThere) {
  const test::TempDir dir;
  const fs::path taken = dir.write("taken.tmp", "another save's text");
  errno = 0;
  EXPECT_EQ(createNewFile(taken), nullptr);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(test::readWholeFile(taken), "another save's text");
}

// The C library's stat numbers every file 0, so every output would seem to be an input.
TEST(FileSystemWindows, OneFileByEveryNameAndNoOther) {
  const test::TempDir dir;
  const fs::path walk = dir.write("walk.bvh", "motion");
  const fs::path other = dir.write("other.bvh", "motion");
  fs::create_hard_link(walk, dir.path() / "hard.bvh");
  const auto identity = fileIdentity(walk);
  ASSERT_TRUE(identity.has_value());
  for (const fs::path& name :
       {dir.path() / "WALK.BVH", dir.path() / "." / "walk.bvh",
        fs::path(dir.path().string() + "/walk.bvh"), dir.path() / "hard.bvh"}) {
    EXPECT_EQ(fileIdentity(name), identity) << name;
  }
  EXPECT_NE(fileIdentity(other), identity);
  EXPECT_EQ(fileIdentity(dir.path() / "missing.bvh"), std::nullopt);
}

TEST(FileSystemWindows, TitleAfterEitherSlashOrADrive) {
  const std::map<std::string, std::string> titles{
      {"C:\\Users\\Anna\\Motions\\walk.bvh", "walk"},
      {"C:walk.bvh", "walk"},
      {"Take one/" + UNICODE_TITLE + ".bvh", UNICODE_TITLE},
      {"\\\\server\\takes\\take.2.bvh", "take.2"},
      {"D:\\Poser/runs\\run", "run"},
  };
  for (const auto& [path, title] : titles) EXPECT_EQ(bvhFileTitleOf(path), title) << path;
}

}  // namespace
}  // namespace zev
