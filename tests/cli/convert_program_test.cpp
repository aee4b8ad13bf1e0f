// The built zev-convert as a process: what it does when its standard output fails, its pictures
// on a full disk and under a concurrent run, a run stopped by a signal, and what it brings to the
// disk. Standard output goes where a test sends it (a full device or a pipe whose reader is gone),
// never to the terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

extern char** environ;

namespace zev {
namespace {

namespace fs = std::filesystem;

const std::string SAMPLE = ZEV_SAMPLE_PATH;

struct ProgramRun {
  int status;
  std::string err;
};

// Starts zev-convert with the arguments, its standard output on the open file `out`, its standard
// error into errFile; 0 when it cannot start.
pid_t startProgram(const std::vector<std::string>& arguments, int out, const std::string& errFile,
                   const char* program = ZEV_CONVERT_PATH) {
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? child : 0;
}

// The exit status of a program that has ended; -1 for one that a signal ended.
int exitStatusOf(pid_t child) {
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs zev-convert with the arguments, its standard output on the open file `out`.
ProgramRun runProgram(const std::vector<std::string>& arguments, int out) {
  const test::TempDir streams;
  const std::string errFile = (streams.path() / "err.txt").string();
  const pid_t child = startProgram(arguments, out, errFile);
  if (child == 0) return {-1, "cannot start " ZEV_CONVERT_PATH};
  return {exitStatusOf(child), test::readWholeFile(errFile)};
}

// Whether anything under folder has the name of a temporary file.
bool holdsATemporaryFile(const fs::path& folder) {
  std::error_code error;
  for (fs::recursive_directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (entry->path().filename().string().starts_with(".zev-save-")) return true;
  }
  return false;
}

// Whatever goes to standard output must arrive: a full device or a reader that has gone away
// fails the run with a message, whether standard output carries the status line or the pose file.
TEST(ConvertProgram, ReportsAStandardOutputThatTakesNothing) {
  const test::TempDir dir;
  const std::string pose = (dir.path() / "walk.pz2").string();
  const struct {
    const char* name;
    bool closedPipe;  // otherwise the full device
    std::vector<std::string> arguments;
    std::string err;
  } cases[] = {
      {"status line, full device",
       false,
       {"-o", pose, SAMPLE},
       "zev-convert: standard output: No space left on device\n"},
      {"pose file, full device",
       false,
       {"-o", "-", SAMPLE},
       SAMPLE + ": PZ2 FILE SAVE ERR\n  standard output: No space left on device\n"},
      {"status line, reader gone",
       true,
       {"-o", pose, SAMPLE},
       "zev-convert: standard output: Broken pipe\n"},
      {"pose file, reader gone",
       true,
       {"-o", "-", SAMPLE},
       SAMPLE + ": PZ2 FILE SAVE ERR\n  standard output: Broken pipe\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int out = -1;
    if (c.closedPipe) {
      int ends[2];
      ASSERT_EQ(::pipe(ends), 0);
      ::close(ends[0]);
      out = ends[1];
    } else {
      out = ::open("/dev/full", O_WRONLY);
      if (out < 0) continue;  // no full device on this system
    }
    const ProgramRun run = runProgram(c.arguments, out);
    ::close(out);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, c.err);
  }
}

// On a disk that fills up the pictures fail, and with them the input's pose file: nothing is
// written, and the message names the picture.
TEST(ConvertProgram, PicturesOnAFullDiskWriteNothing) {
  const test::TempDir dir;
  const fs::path pages = dir.path() / "pages";
  fs::create_directory(pages);
  const test::MemoryMount small(pages, 8);
  if (!small.mounted()) GTEST_SKIP() << "may not mount a file system here";
  const int out = ::open((dir.path() / "out.txt").c_str(), O_WRONLY | O_CREAT, 0644);
  const ProgramRun run = runProgram(
      {"-o", (dir.path() / "walk.pz2").string(), "--graphs", pages.string(), SAMPLE}, out);
  ::close(out);
  EXPECT_EQ(run.status, 1);
  const std::string start = SAMPLE + ": PZ2 FILE SAVE ERR\n  " + (pages / "walk-").string();
  EXPECT_EQ(run.err.rfind(start, 0), 0u) << run.err;
  EXPECT_TRUE(run.err.ends_with(".png: No space left on device\n")) << run.err;
  EXPECT_TRUE(fs::is_empty(pages));
  EXPECT_FALSE(fs::exists(dir.path() / "walk.pz2"));
}

// Two runs drawing into one folder at once: each picture is afterwards one run's picture, whole.
TEST(ConvertProgram, ConcurrentRunsNeverMixTheirPictures) {
  const test::TempDir dir;
  const int out = ::open((dir.path() / "out.txt").c_str(), O_WRONLY | O_CREAT, 0644);
  // Still mode with a G coefficient of 3, and movie mode: pictures that differ.
  const std::vector<std::string> settings{"--g=3", "--movie"};
  const auto arguments = [&](std::size_t run, const fs::path& pages) {
    return std::vector<std::string>{settings[run],
                                    "-o",
                                    (dir.path() / ("run" + std::to_string(run) + ".pz2")).string(),
                                    "--graphs",
                                    pages.string(),
                                    SAMPLE};
  };
  ASSERT_EQ(runProgram(arguments(0, dir.path() / "alone-0"), out).status, 0);
  ASSERT_EQ(runProgram(arguments(1, dir.path() / "alone-1"), out).status, 0);
  const auto a = test::folderContents(dir.path() / "alone-0");
  const auto b = test::folderContents(dir.path() / "alone-1");

  const fs::path shared = dir.path() / "shared";
  std::vector<std::thread> threads;
  for (int round = 0; round < 3; ++round) {
    for (std::size_t run = 0; run < settings.size(); ++run) {
      threads.emplace_back(
          [&, run] { EXPECT_EQ(runProgram(arguments(run, shared), out).status, 0); });
    }
  }
  for (std::thread& thread : threads) thread.join();
  ::close(out);
  const auto mixed = test::folderContents(shared);
  ASSERT_EQ(mixed.size(), a.size());
  for (const auto& [name, bytes] : mixed) {
    EXPECT_TRUE(bytes == a.at(name) || bytes == b.at(name)) << name;
  }
}

// Ctrl-C, a closed terminal or a request to end, while pose files and pictures are saved two at a
// time: the run removes its temporary files, leaves every input's outputs all in place or none,
// and ends with 128 + the signal's number. The signal comes once a temporary file shows a save
// under way.
TEST(ConvertProgram, AStoppedRunLeavesNoTemporaryFileAndNoHalfSet) {
  constexpr int INPUTS = 20;
  const test::TempDir dir;
  const int out = ::open("/dev/null", O_WRONLY);
  const fs::path reference = dir.path() / "reference.pz2";
  ASSERT_EQ(runProgram({"--movie", "-o", reference.string(), SAMPLE}, out).status, 0);
  for (const int signal : {SIGINT, SIGHUP, SIGTERM}) {
    SCOPED_TRACE(signal);
    const test::TempDir run;
    std::vector<std::string> arguments{"--movie", "-j", "2", "--graphs",
                                       (run.path() / "pages").string()};
    for (int i = 0; i < INPUTS; ++i) {
      const fs::path input = run.path() / ("take-" + std::to_string(i) + ".bvh");
      fs::copy_file(SAMPLE, input);
      arguments.push_back(input.string());
    }
    const pid_t child = startProgram(arguments, out, (dir.path() / "err.txt").string());
    ASSERT_NE(child, 0);
    int waited = 0;
    while (!holdsATemporaryFile(run.path()) && (waited = ::waitpid(child, nullptr, WNOHANG)) == 0) {
      std::this_thread::yield();
    }
    ASSERT_EQ(waited, 0) << "the run ended before a save began";
    ::kill(child, signal);
    EXPECT_EQ(exitStatusOf(child), 128 + signal);
    EXPECT_FALSE(holdsATemporaryFile(run.path()));
    for (int i = 0; i < INPUTS; ++i) {
      const std::string title = "take-" + std::to_string(i);
      const fs::path pose = run.path() / (title + ".pz2");
      int pictures = 0;
      for (const char* page : {"chest", "hair", "ring", "report"}) {
        pictures += fs::exists(run.path() / "pages" / (title + "-" + page + ".png")) ? 1 : 0;
      }
      EXPECT_EQ(pictures, fs::exists(pose) ? 4 : 0) << title;
      if (fs::exists(pose)) {
        EXPECT_TRUE(test::readWholeFile(pose) == test::readWholeFile(reference)) << title;
      }
    }
  }
  ::close(out);
}

// A saved file is on the disk before it replaces the old one, and its folder after: a power loss
// never leaves an empty pose file. strace shows the order of the calls.
TEST(ConvertProgram, SavedFilesReachTheDiskBeforeTheyReplaceTheOldOnes) {
  const test::TempDir dir;
  const fs::path trace = dir.path() / "trace.txt";
  const int out = ::open("/dev/null", O_WRONLY);
  const pid_t child =
      startProgram({"-f", "-qq", "-e", "trace=fsync,fdatasync,rename,renameat,renameat2", "-o",
                    trace.string(), ZEV_CONVERT_PATH, "-o", (dir.path() / "walk.pz2").string(),
                    "--signals", (dir.path() / "walk.csv").string(), SAMPLE},
                   out, (dir.path() / "err.txt").string(), "strace");
  const int status = child == 0 ? -1 : exitStatusOf(child);
  ::close(out);
  if (status != 0) GTEST_SKIP() << "no strace here, or it may not trace";
  // The calls in order, each as "sync" or "rename".
  std::string calls;
  std::istringstream lines(test::readWholeFile(trace));
  for (std::string line; std::getline(lines, line);) {
    if (line.find("sync(") != std::string::npos) calls += "sync ";
    if (line.find("rename") != std::string::npos) calls += "rename ";
  }
  EXPECT_EQ(calls, "sync sync rename rename sync ");
}

}  // namespace
}  // namespace zev
