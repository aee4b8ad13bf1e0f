#include "dialog/start_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "support/test_support.h"

namespace zev {
namespace {

namespace fs = std::filesystem;

// The kernel's view of the running process: its folders list, but store nothing.
const fs::path PROCESS_VIEW = "/proc/self";

TEST(StartFolder, BesideTheLastFileChosenAndNeverWhereADialogCannotList) {
  const test::TempDir first;
  const test::TempDir second;
  const fs::path motions = second.path() / "motions";
  fs::create_directory(motions);
  // Only the last can be listed: a missing folder, a file, the process view.
  const std::array<fs::path, 4> fallbacks{first.path() / "gone", first.write("notes.txt", ""),
                                          PROCESS_VIEW, first.path()};

  StartFolder start;
  EXPECT_EQ(start.folder(fallbacks), first.path());  // nothing chosen yet
  start.fileChosen(motions / "walk.bvh");
  EXPECT_EQ(start.folder(fallbacks), motions);
  start.fileChosen(motions / ".." / "run.bvh");
  EXPECT_EQ(start.folder(fallbacks), second.path());
  // A file in the process view moves nothing.
  start.fileChosen(PROCESS_VIEW / "fd" / "0");
  EXPECT_EQ(start.folder(fallbacks), second.path());
  // A relative name lies in the working folder.
  start.fileChosen("walk.bvh");
  EXPECT_EQ(start.folder(fallbacks), fs::current_path());

  // A folder removed since is no longer offered.
  start.fileChosen(motions / "walk.bvh");
  fs::remove(motions);
  EXPECT_EQ(start.folder(fallbacks), first.path());
  EXPECT_EQ(start.folder({}), fs::path());
}

}  // namespace
}  // namespace zev
