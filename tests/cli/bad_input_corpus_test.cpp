// The bad-input corpus (tests/bad-input): files that animators might trade and that the program
// must refuse. Each one must give its message and the detail that says where and why, through the
// reader and through zev-convert, and the converter must leave no file behind for it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bvh/bvh_reader.h"
#include "store/motion_store.h"
#include "support/test_support.h"

namespace zev {
namespace {

namespace fs = std::filesystem;

struct BadInput {
  std::string file;
  std::string message;
  std::string detail;  // the second line, without its indent
};

const fs::path CORPUS = ZEV_BAD_INPUT_DIR;

// expected-messages.txt: a "<file> <message>" line per file, then its detail indented by two
// blanks; "#" starts a comment line.
std::vector<BadInput> expectedMessages() {
  std::vector<BadInput> inputs;
  std::ifstream list(CORPUS / "expected-messages.txt");
  std::string line;
  while (std::getline(list, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line.starts_with("  ") && !inputs.empty()) {
      inputs.back().detail = line.substr(2);
      continue;
    }
    const std::size_t blank = line.find(' ');
    inputs.push_back({line.substr(0, blank), line.substr(blank + 1), ""});
  }
  return inputs;
}

std::set<std::string> filesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

struct ConverterRun {
  int exitStatus;
  std::string out;
  std::string err;
};

// Runs the built zev-convert with the arguments (already quoted for the shell) in folder.
ConverterRun runConverter(const fs::path& folder, const std::string& arguments) {
  const test::TempDir streams;
  const fs::path out = streams.path() / "out.txt";
  const fs::path err = streams.path() / "err.txt";
  const std::string command = "cd '" + folder.string() + "' && '" + ZEV_CONVERT_PATH + "' " +
                              arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::readWholeFile(out),
          test::readWholeFile(err)};
}

TEST(BadInputCorpus, ListsEveryFileOfTheFolderOnce) {
  std::set<std::string> listed;
  for (const BadInput& input : expectedMessages()) {
    EXPECT_TRUE(listed.insert(input.file).second) << input.file << " listed twice";
    EXPECT_FALSE(input.message.empty()) << input.file;
    EXPECT_FALSE(input.detail.empty()) << input.file;
  }
  std::set<std::string> present = filesIn(CORPUS);
  present.erase("expected-messages.txt");
  EXPECT_EQ(listed, present);
}

// The same message and detail from a file and from its bytes.
TEST(BadInputCorpus, ReaderGivesEachFileItsMessageFromDiskAndFromMemory) {
  BvhReader reader;
  const auto store = std::make_unique<MotionStore>();
  for (const BadInput& input : expectedMessages()) {
    SCOPED_TRACE(input.file);
    const std::string path = (CORPUS / input.file).string();
    const BvhReadResult fromDisk = reader.readFile(path, store->motion);
    EXPECT_EQ(fromDisk.message(), input.message);
    EXPECT_EQ(describeReadFailure(fromDisk).view(), input.detail);
    const BvhReadResult fromMemory = reader.readBytes(test::readWholeFile(path), store->motion);
    EXPECT_EQ(fromMemory.message(), input.message);
    EXPECT_EQ(describeReadFailure(fromMemory).view(), describeReadFailure(fromDisk).view());
  }
}

// All files in one run, each written beside its input by default, plus a missing file and a
// folder: the message and its detail on standard error, in input order also when four are
// converted at a time, nothing on standard output, and the folder holds afterwards exactly what it
// held before.
TEST(BadInputCorpus, ConverterPrintsEachMessageAndLeavesNoFile) {
  const test::TempDir work;
  std::string arguments;
  std::string expectedErr;
  for (const BadInput& input : expectedMessages()) {
    fs::copy_file(CORPUS / input.file, work.path() / input.file);
    arguments += "'" + input.file + "' ";
    expectedErr += input.file + ": " + input.message + "\n  " + input.detail + "\n";
  }
  fs::create_directory(work.path() / "folder.bvh");
  arguments += "missing.bvh folder.bvh";
  expectedErr +=
      "missing.bvh: BVH FILE CAN NOT OPEN!\n  No such file or directory\n"
      "folder.bvh: BVH FILE CAN NOT OPEN!\n  Is a directory\n";
  const std::set<std::string> before = filesIn(work.path());

  for (const char* mode : {"", "--movie ", "-j 4 --movie "}) {
    SCOPED_TRACE(mode);
    const ConverterRun run = runConverter(work.path(), mode + arguments);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, expectedErr);
    EXPECT_EQ(filesIn(work.path()), before);
  }
}

// With -o naming an existing pose file, a refused input leaves that file as it was.
TEST(BadInputCorpus, ConverterKeepsAnExistingOutputFileOnRefusal) {
  const test::TempDir work;
  const std::string previous = "{\nprevious pose\n}";
  work.write("pose.pz2", previous);
  for (const char* file : {"frame-range-501.bvh", "fps-range-line-ends-at-lshin.bvh"}) {
    SCOPED_TRACE(file);
    fs::copy_file(CORPUS / file, work.path() / file, fs::copy_options::overwrite_existing);
    const ConverterRun run = runConverter(work.path(), std::string("-o pose.pz2 ") + file);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(test::readWholeFile(work.path() / "pose.pz2"), previous);
    EXPECT_EQ(filesIn(work.path()), (std::set<std::string>{"pose.pz2", file}));
    fs::remove(work.path() / file);
  }
}

}  // namespace
}  // namespace zev
