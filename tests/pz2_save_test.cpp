#include "pz2/pz2_save.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_support.h"

namespace zev {
namespace {

namespace fs = std::filesystem;

std::string memoryFile() {
  std::string text;
  Pz2MemorySink sink(text);
  writePz2File(sink);
  return text;
}

int entriesIn(const fs::path& folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

void loadMotion(int frames) {
  test::resetMotionStore();
  MotionStore& store = motionStore();
  store.frameCount = frames;
  for (int i = 0; i < frames; ++i) store.slots[chestUp][i] = 0.01 * (i % 7) - 0.03;
}

TEST(Pz2Save, TitleAndProposedName) {
  EXPECT_EQ(bvhFileTitleOf("/home/anna/motions/walk.bvh"), "walk");
  EXPECT_EQ(bvhFileTitleOf("walk.bvh"), "walk");
  EXPECT_EQ(bvhFileTitleOf("take.2.BVH"), "take.2");
  EXPECT_EQ(bvhFileTitleOf("/data.v1/walk"), "walk");
  EXPECT_EQ(bvhFileTitleOf("walk"), "walk");
  EXPECT_EQ(proposedPz2Name("walk"), "walk.pz2");
  EXPECT_EQ(PZ2_SAVE_ERROR_MESSAGE, "PZ2 FILE SAVE ERR");
}

TEST(Pz2Save, WritesTheLayoutAndReplacesAnOldFileWhole) {
  loadMotion(20);
  test::TempDir dir;
  const std::string target = dir.write("walk.pz2", std::string(100000, 'x'));
  ::chmod(target.c_str(), 0640);

  ASSERT_TRUE(savePz2File(target));
  EXPECT_EQ(test::readWholeFile(target), memoryFile());
  EXPECT_EQ(entriesIn(dir.path()), 1);  // no temporary file left beside it
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  ASSERT_TRUE(savePz2File(target));  // twice in a row: the same bytes
  EXPECT_EQ(test::readWholeFile(target), memoryFile());
}

TEST(Pz2Save, WritesThroughALinkAndTakesLongNames) {
  loadMotion(20);
  test::TempDir dir;
  const std::string real = dir.write("walk.pz2", "old pose");
  const fs::path link = dir.path() / "latest.pz2";
  fs::create_symlink(real, link);
  ASSERT_TRUE(savePz2File(link.string()));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(test::readWholeFile(real), memoryFile());

  const fs::path longName = dir.path() / (std::string(250, 'w') + ".pz2");
  ASSERT_TRUE(savePz2File(longName.string()));
  EXPECT_EQ(test::readWholeFile(longName), memoryFile());
  EXPECT_EQ(entriesIn(dir.path()), 3);
}

TEST(Pz2Save, FailsWithoutTouchingAnythingWhenTheFolderCannotTakeTheFile) {
  loadMotion(20);
  test::TempDir dir;
  const std::string notAFolder = dir.write("motion.bvh", "HIERARCHY\n");
  EXPECT_FALSE(savePz2File(notAFolder + "/walk.pz2"));
  EXPECT_FALSE(savePz2File((dir.path() / "missing" / "walk.pz2").string()));
  EXPECT_FALSE(savePz2File(dir.path().string()));  // a folder as the target
  EXPECT_EQ(test::readWholeFile(notAFolder), "HIERARCHY\n");
  EXPECT_EQ(entriesIn(dir.path()), 1);
}

TEST(Pz2Save, FailsInAReadOnlyFolder) {
  loadMotion(20);
  test::TempDir dir;
  const fs::path folder = dir.path() / "locked";
  fs::create_directory(folder);
  const std::string target = (folder / "walk.pz2").string();
  test::writeWholeFile(target, "old pose");
  ::chmod(folder.c_str(), 0555);
  const bool writable = ::access(folder.c_str(), W_OK) == 0;  // true for root
  if (!writable) {
    EXPECT_FALSE(savePz2File(target));
    EXPECT_EQ(test::readWholeFile(target), "old pose");
    EXPECT_EQ(entriesIn(folder), 1);
  }
  ::chmod(folder.c_str(), 0755);
  if (writable) GTEST_SKIP() << "running with rights that ignore folder permissions";
}

TEST(Pz2Save, KeepsAWriteProtectedFile) {
  loadMotion(20);
  test::TempDir dir;
  const std::string target = dir.write("walk.pz2", "old pose");
  ::chmod(target.c_str(), 0444);
  const bool writable = ::access(target.c_str(), W_OK) == 0;  // true for root
  if (!writable) {
    EXPECT_FALSE(savePz2File(target));
    EXPECT_EQ(test::readWholeFile(target), "old pose");
    EXPECT_EQ(entriesIn(dir.path()), 1);
  }
  if (writable) GTEST_SKIP() << "running with rights that ignore file permissions";
}

// A file size limit makes the writes fail part-way, as a full disk does.
TEST(Pz2Save, AWriteErrorLeavesTheOldFileAndNoTemporary) {
  loadMotion(500);
  test::TempDir dir;
  const std::string target = dir.write("walk.pz2", "old pose");
  rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 64 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);

  const bool savedOk = savePz2File(target);

  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(savedOk);
  EXPECT_EQ(test::readWholeFile(target), "old pose");
  EXPECT_EQ(entriesIn(dir.path()), 1);
}

}  // namespace
}  // namespace zev
