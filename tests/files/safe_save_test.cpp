#include "files/safe_save.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

int entriesIn(const fs::path& folder) {
  return static_cast<int>(test::folderContents(folder).size());
}

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
  EXPECT_EQ(bvhFileTitleOf("take\\one.bvh"), "take\\one");  // a backslash is part of a name here
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
      {"an over-long name", [](const fs::path& d) { return d / (std::string(300, 'w') + ".pz2"); },
       "File name too long", 0},
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
    const auto before = test::folderContents(dir.path());
    const fs::path target = c.target(dir.path());

    const SaveResult result =
        c.fileSizeLimit == 0
            ? savePz2File(target, *store)
            : withFileSizeLimit(c.fileSizeLimit, [&] { return savePz2File(target, *store); });
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.reason(), c.reason);
    EXPECT_EQ(result.target, target.string());
    EXPECT_EQ(test::folderContents(dir.path()), before);
  }
}

// Permissions bind only a user without special rights; a test run by one with them acts as one.
TEST(SafeSave, FailsInAReadOnlyFolder) {
  const auto store = motionOf(20);
  test::TempDir dir;
  fs::permissions(dir.path(), fs::perms::all);
  const fs::path folder = dir.path() / "locked";
  fs::create_directory(folder);
  test::writeWholeFile(folder / "walk.pz2", "old pose");
  fs::permissions(folder / "walk.pz2", fs::perms::all);  // the file itself may be written
  fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
  // The message names the folder, which is what needs the fix.
  const auto refusedByTheFolder = [&folder](const SaveResult& result) {
    return describeSaveFailure(result) == result.target + ": cannot make a file in the folder " +
                                              folder.string() + ": Permission denied";
  };
  const auto refused = [&] {
    return refusedByTheFolder(savePz2File(folder / "walk.pz2", *store)) &&
           refusedByTheFolder(savePz2File(folder / "new.pz2", *store)) &&
           test::folderContents(folder) ==
               std::map<std::string, std::string>{{"walk.pz2", "old pose"}};
  };
  const std::optional<bool> held = test::asOrdinaryUser(refused);
  if (!held) GTEST_SKIP() << "may not act as a user whom permissions bind";
  EXPECT_TRUE(*held);
}

// No one may write it, the administrator included: its owner meant to keep it.
TEST(SafeSave, KeepsAReadOnlyFileForEveryUser) {
  const auto store = motionOf(20);
  test::TempDir dir;
  const std::string target = dir.write("walk.pz2", "old pose");
  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const SaveResult result = savePz2File(target, *store);
  EXPECT_EQ(describeSaveFailure(result), target + ": the file is read-only");
  EXPECT_EQ(test::folderContents(dir.path()),
            (std::map<std::string, std::string>{{"walk.pz2", "old pose"}}));
}

// A file with several names (hard links) gets the new text under every name, all outputs of the
// set or none of them, and stays one file.
TEST(SafeSave, WritesIntoAFileWithOtherNames) {
  for (const bool setFails : {false, true}) {
    SCOPED_TRACE(setFails ? "another output fails" : "every output saved");
    test::TempDir dir;
    const fs::path pose = dir.write("walk.pz2", "old pose");
    fs::create_directory(dir.path() / "take");
    fs::create_hard_link(pose, dir.path() / "take" / "latest.pz2");
    auto expected = test::folderContents(dir.path());
    OutputSet outputs;
    outputs.addFile(pose, [](TextSink& sink) { sink.write("new pose"); });
    if (setFails) outputs.addFile(dir.path() / "missing" / "walk.csv", [](TextSink&) {});
    EXPECT_EQ(outputs.commit().ok(), !setFails);
    if (!setFails) expected["walk.pz2"] = expected["take/latest.pz2"] = "new pose";
    EXPECT_EQ(test::folderContents(dir.path()), expected);
    EXPECT_TRUE(fs::equivalent(pose, dir.path() / "take" / "latest.pz2"));
  }
}

// A run stopped beyond cleaning up (SIGKILL, a power loss) leaves its temporary files; the next
// save into the folder removes those of this program's naming that are over a minute old.
TEST(SafeSave, RemovesTheOldLeftoversOfStoppedRuns) {
  test::TempDir dir;
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(2);
  const std::vector<std::pair<std::string, bool>> files{
      {".zev-save-0123456789abcdef.tmp", false},  // a leftover: removed
      {".zev-save-fedcba9876543210.tmp", true},   // fresh: another save's, under way
      {".zev-save-notours.tmp", true},            // another program's naming
      {"notes.tmp", true},
  };
  auto expected = test::folderContents(dir.path());
  for (const auto& [name, kept] : files) {
    dir.write(name, name);
    if (name != ".zev-save-fedcba9876543210.tmp") fs::last_write_time(dir.path() / name, old);
    if (kept) expected[name] = name;
  }
  ASSERT_TRUE(saveThroughTemporaryFile(dir.path() / "walk.pz2", [](TextSink& sink) {
                sink.write("pose");
              }).ok());
  expected["walk.pz2"] = "pose";
  EXPECT_EQ(test::folderContents(dir.path()), expected);
}

// A link to a file not there yet leads the save to create that file, as opening the link for
// writing would; the link itself stays as it was.
TEST(SafeSave, CreatesTheFileADanglingLinkNames) {
  const struct {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // link, what it names
    std::string created;                                     // empty: the save fails
  } cases[] = {
      {"beside it", {{"latest.pz2", "walk.pz2"}}, "walk.pz2"},
      {"in a folder", {{"latest.pz2", "poses/walk.pz2"}}, "poses/walk.pz2"},
      {"through a second link",
       {{"latest.pz2", "next.pz2"}, {"next.pz2", "poses/walk.pz2"}},
       "poses/walk.pz2"},
      {"into a missing folder", {{"latest.pz2", "nowhere/walk.pz2"}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    fs::create_directory(dir.path() / "poses");
    for (const auto& [link, named] : c.links) fs::create_symlink(named, dir.path() / link);
    auto expected = test::folderContents(dir.path());

    const SaveResult result = saveThroughTemporaryFile(dir.path() / "latest.pz2",
                                                       [](TextSink& sink) { sink.write("pose"); });
    if (c.created.empty()) {
      EXPECT_EQ(result.reason(), "No such file or directory");
    } else {
      EXPECT_TRUE(result.ok()) << result.reason();
      expected[c.created] = "pose";
    }
    EXPECT_EQ(test::folderContents(dir.path()), expected);
  }
}

// A FIFO or a device is written into, as opening it would, and stays what it is.
TEST(SafeSave, WritesIntoAFifoOrADeviceWithoutReplacingIt) {
  const std::string bytes(100000, 'p');
  test::TempDir dir;
  const fs::path fifo = dir.path() / "pipe.pz2";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::string received;
  std::thread reader([&] { received = test::readWholeFile(fifo); });
  const SaveResult piped =
      saveThroughTemporaryFile(fifo, [&bytes](TextSink& sink) { sink.write(bytes); });
  // A save that never opened the FIFO would leave the reader waiting for a writer: be one.
  if (const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); writer >= 0) ::close(writer);
  reader.join();
  EXPECT_TRUE(piped.ok()) << piped.reason();
  EXPECT_EQ(received, bytes);

  const fs::path device = dir.path() / "discard.pz2";
  const bool madeDevice = test::makeCharacterDevice(device, 1, 3);
  if (madeDevice) {
    const SaveResult discarded =
        saveThroughTemporaryFile(device, [&bytes](TextSink& sink) { sink.write(bytes); });
    EXPECT_TRUE(discarded.ok()) << discarded.reason();
  }
  auto expected = std::map<std::string, std::string>{{"pipe.pz2", "(fifo)"}};
  if (madeDevice) expected["discard.pz2"] = "(device)";
  EXPECT_EQ(test::folderContents(dir.path()), expected);
  if (!madeDevice) GTEST_SKIP() << "may not make a device; the FIFO was checked";
}

// The outputs of one piece of work: when any of them fails, no file is replaced, no temporary
// file is left, the caller's stream gets nothing, and the result names the output that failed.
TEST(SafeSave, AnOutputSetIsSavedWholeOrNotAtAll) {
  const auto store = motionOf(500);
  const std::string pose = memoryFile(*store);
  const struct {
    const char* name;
    std::string failing;  // the output that fails; empty: none does
    std::string reason;
    rlim_t fileSizeLimit;  // 0: none
  } cases[] = {
      {"every output saved", "", "", 0},
      {"a missing folder", "missing/walk.csv", "No such file or directory", 0},
      {"a full device", "full.pz2", "No space left on device", 0},
      {"a full disk", "walk.pz2", "File too large", 128 * 1024},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    dir.write("walk.pz2", "old pose");
    dir.write("walk.csv", "old signals");
    if (c.failing == "full.pz2" && !test::makeCharacterDevice(dir.path() / "full.pz2", 1, 7)) {
      continue;  // may not make a device here
    }
    const auto before = test::folderContents(dir.path());
    std::ostringstream streamed;
    StreamSink stream(streamed);

    OutputSet outputs;
    outputs.addFile(dir.path() / "walk.pz2",
                    [&store](TextSink& sink) { writePz2File(sink, *store); });
    outputs.addFile(dir.path() / "walk.csv", [](TextSink& sink) { sink.write("signals"); });
    if (!c.failing.empty() && c.failing != "walk.pz2") {
      outputs.addFile(dir.path() / c.failing, [&pose](TextSink& sink) { sink.write(pose); });
    }
    outputs.addStream("standard output", stream, [](TextSink& sink) { sink.write("streamed"); });
    const SaveResult result =
        c.fileSizeLimit == 0
            ? outputs.commit()
            : withFileSizeLimit(c.fileSizeLimit, [&outputs] { return outputs.commit(); });

    if (c.failing.empty()) {
      EXPECT_TRUE(result.ok()) << result.target << ": " << result.reason();
      EXPECT_EQ(test::readWholeFile(dir.path() / "walk.pz2"), pose);
      EXPECT_EQ(test::readWholeFile(dir.path() / "walk.csv"), "signals");
      EXPECT_EQ(streamed.str(), "streamed");
      EXPECT_EQ(entriesIn(dir.path()), 2);
      continue;
    }
    EXPECT_EQ(result.target, (dir.path() / c.failing).string());
    EXPECT_EQ(result.reason(), c.reason);
    EXPECT_EQ(test::folderContents(dir.path()), before);
    EXPECT_EQ(streamed.str(), "");
  }
}

}  // namespace
}  // namespace zev
