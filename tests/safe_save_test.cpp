#include "files/safe_save.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "pz2/pz2_save.h"
#include "pz2/pz2_writer.h"
#include "store/motion_store.h"
#include "support/test_support.h"

namespace zev {
namespace {

namespace fs = std::filesystem;

std::string memoryFile(const MotionStore& store) {
  std::string text;
  StringSink sink(text);
  writePz2File(sink, store);
  return text;
}

// Every file of a folder with its content; a leftover temporary file shows up here.
std::map<std::string, std::string> contentsOf(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] =
        entry.is_regular_file() ? test::readWholeFile(entry.path()) : "(folder)";
  }
  return files;
}

int entriesIn(const fs::path& folder) { return static_cast<int>(contentsOf(folder).size()); }

std::unique_ptr<MotionStore> motionOf(int frames) {
  auto store = std::make_unique<MotionStore>();
  store->motion.frameCount = frames;
  for (int i = 0; i < frames; ++i) store->signals[Slot::chestUp][i] = 0.01 * (i % 7) - 0.03;
  return store;
}

// Runs save with the size of any file this process writes limited to bytes, as a full disk would
// stop the writes part-way.
SaveResult withFileSizeLimit(rlim_t bytes, const std::function<SaveResult()>& save) {
  rlimit saved;
  if (::getrlimit(RLIMIT_FSIZE, &saved) != 0) {
    ADD_FAILURE() << "no file size limit to set";
    return save();
  }
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = bytes;
  EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const SaveResult result = save();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  return result;
}

TEST(SafeSave, TitleAndProposedName) {
  EXPECT_EQ(bvhFileTitleOf("/home/anna/motions/walk.bvh"), "walk");
  EXPECT_EQ(bvhFileTitleOf("walk.bvh"), "walk");
  EXPECT_EQ(bvhFileTitleOf("take.2.BVH"), "take.2");
  EXPECT_EQ(bvhFileTitleOf("/data.v1/walk"), "walk");
  EXPECT_EQ(bvhFileTitleOf("walk"), "walk");
  EXPECT_EQ(proposedPz2Name("walk"), "walk.pz2");
  EXPECT_EQ(PZ2_SAVE_ERROR_MESSAGE, "PZ2 FILE SAVE ERR");
}

// The file holds exactly what the writer sent, piece by piece, with no line-end translation.
TEST(SafeSave, WritesWhatTheWriterSendsByteForByte) {
  test::TempDir dir;
  const std::string bytes = std::string("first\r\nsecond\n\0third", 20) + std::string(70000, 'z');
  const fs::path target = dir.path() / "out.txt";
  const SaveResult result = saveThroughTemporaryFile(target, [&bytes](TextSink& sink) {
    sink.write(std::string_view(bytes).substr(0, 7));
    sink.write(std::string_view(bytes).substr(7));
  });
  ASSERT_TRUE(result.ok()) << result.reason();
  EXPECT_EQ(test::readWholeFile(target), bytes);

  ASSERT_TRUE(saveThroughTemporaryFile(target, [](TextSink&) {}).ok());
  EXPECT_EQ(test::readWholeFile(target), "");
  EXPECT_EQ(entriesIn(dir.path()), 1);
}

TEST(SafeSave, WritesTheLayoutAndReplacesAnOldFileWhole) {
  const auto store = motionOf(20);
  test::TempDir dir;
  const std::string target = dir.write("walk.pz2", std::string(100000, 'x'));
  ::chmod(target.c_str(), 0640);

  ASSERT_TRUE(savePz2File(target, *store).ok());
  EXPECT_EQ(test::readWholeFile(target), memoryFile(*store));
  EXPECT_EQ(entriesIn(dir.path()), 1);  // no temporary file left beside it
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  ASSERT_TRUE(savePz2File(target, *store).ok());  // twice in a row: the same bytes
  EXPECT_EQ(test::readWholeFile(target), memoryFile(*store));
}

TEST(SafeSave, WritesThroughALinkAndTakesLongNames) {
  const auto store = motionOf(20);
  test::TempDir dir;
  const std::string real = dir.write("walk.pz2", "old pose");
  const fs::path link = dir.path() / "latest.pz2";
  fs::create_symlink(real, link);
  ASSERT_TRUE(savePz2File(link, *store).ok());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(test::readWholeFile(real), memoryFile(*store));

  const fs::path longName = dir.path() / (std::string(250, 'w') + ".pz2");
  ASSERT_TRUE(savePz2File(longName, *store).ok());
  EXPECT_EQ(test::readWholeFile(longName), memoryFile(*store));
  EXPECT_EQ(entriesIn(dir.path()), 3);
}

// A save that cannot complete fails with the system's reason and the path it was given, and
// leaves the folder as it was: the old file unchanged, no temporary file beside it.
TEST(SafeSave, AFailedSaveGivesTheSystemsReasonAndTouchesNothing) {
  const struct {
    const char* name;
    std::function<fs::path(const fs::path& dir)> target;
    std::string reason;
    rlim_t fileSizeLimit;  // 0: none
  } cases[] = {
      {"missing folder", [](const fs::path& d) { return d / "missing" / "walk.pz2"; },
       "No such file or directory", 0},
      {"a file as the folder", [](const fs::path& d) { return d / "motion.bvh" / "walk.pz2"; },
       "Not a directory", 0},
      {"a folder as the target", [](const fs::path& d) { return d / "poses"; }, "Is a directory",
       0},
      {"full device", [](const fs::path& d) { return d / "walk.pz2"; }, "File too large",
       64 * 1024},
  };
  const auto store = motionOf(500);  // the longest motion the reader accepts
  ASSERT_GT(memoryFile(*store).size(), 64u * 1024u);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    dir.write("motion.bvh", "HIERARCHY\n");
    dir.write("walk.pz2", "old pose");
    fs::create_directory(dir.path() / "poses");
    const auto before = contentsOf(dir.path());
    const fs::path target = c.target(dir.path());

    const SaveResult result =
        c.fileSizeLimit == 0
            ? savePz2File(target, *store)
            : withFileSizeLimit(c.fileSizeLimit, [&] { return savePz2File(target, *store); });
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.reason(), c.reason);
    EXPECT_EQ(result.target, target.string());
    EXPECT_EQ(contentsOf(dir.path()), before);
    EXPECT_TRUE(fs::is_empty(dir.path() / "poses"));
  }
}

TEST(SafeSave, FailsInAReadOnlyFolder) {
  const auto store = motionOf(20);
  test::TempDir dir;
  const fs::path folder = dir.path() / "locked";
  fs::create_directory(folder);
  const std::string target = (folder / "walk.pz2").string();
  test::writeWholeFile(target, "old pose");
  ::chmod(folder.c_str(), 0555);
  const bool writable = ::access(folder.c_str(), W_OK) == 0;  // true for root
  if (!writable) {
    const SaveResult result = savePz2File(target, *store);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.reason(), "Permission denied");
    EXPECT_EQ(test::readWholeFile(target), "old pose");
    EXPECT_EQ(entriesIn(folder), 1);
  }
  ::chmod(folder.c_str(), 0755);
  if (writable) GTEST_SKIP() << "running with rights that ignore folder permissions";
}

TEST(SafeSave, KeepsAWriteProtectedFile) {
  const auto store = motionOf(20);
  test::TempDir dir;
  const std::string target = dir.write("walk.pz2", "old pose");
  ::chmod(target.c_str(), 0444);
  const bool writable = ::access(target.c_str(), W_OK) == 0;  // true for root
  if (!writable) {
    const SaveResult result = savePz2File(target, *store);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.reason(), "Permission denied");
    EXPECT_EQ(test::readWholeFile(target), "old pose");
    EXPECT_EQ(entriesIn(dir.path()), 1);
  }
  if (writable) GTEST_SKIP() << "running with rights that ignore file permissions";
}

}  // namespace
}  // namespace zev
