#include "dialog/start_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace zev {
namespace {

namespace fs = std::filesystem;

// The kernel's view of the running process: a folder that lists, but stores nothing.
const fs::path PROCESS_VIEW = "/proc/self";

TEST(StartFolder, OnlyFoldersThatListAndStoreFiles) {
  const test::TempDir dir;
  const fs::path file = dir.write("walk.bvh", "HIERARCHY\n");
  struct Case {
    const char* name;
    fs::path folder;
    bool usable;
  };
  std::vector<Case> cases{{"a folder", dir.path(), true},
                          {"nothing", {}, false},
                          {"a missing folder", dir.path() / "gone", false},
                          {"a file", file, false}};
  if (fs::exists(PROCESS_VIEW)) cases.push_back({"the process view", PROCESS_VIEW, false});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(canStartIn(c.folder), c.usable);
  }
}

TEST(StartFolder, BesideTheLastFileChosenWhileThatFolderLasts) {
  const test::TempDir first;
  const test::TempDir second;
  const fs::path motions = second.path() / "motions";
  fs::create_directory(motions);
  const std::array<fs::path, 2> fallbacks{first.path() / "gone", first.path()};

  StartFolder start;
  EXPECT_EQ(start.folder(fallbacks), first.path());  // nothing chosen yet
  start.fileChosen(motions / "walk.bvh");
  EXPECT_EQ(start.folder(fallbacks), motions);
  start.fileChosen(motions / ".." / "run.bvh");
  EXPECT_EQ(start.folder(fallbacks), second.path());
  // A file the system shows in a folder of its own view moves nothing.
  if (fs::exists(PROCESS_VIEW)) {
    start.fileChosen(PROCESS_VIEW / "fd" / "0");
    EXPECT_EQ(start.folder(fallbacks), second.path());
  }
  // A relative name lies in the working folder.
  start.fileChosen("walk.bvh");
  EXPECT_EQ(start.folder(fallbacks), fs::current_path());

  start.fileChosen(motions / "walk.bvh");
  fs::remove(motions);
  EXPECT_EQ(start.folder(fallbacks), first.path());
  EXPECT_EQ(start.folder({}), fs::path());
}

}  // namespace
}  // namespace zev
