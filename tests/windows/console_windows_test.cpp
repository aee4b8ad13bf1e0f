#include "cli/console_windows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace zev {
namespace {

// "Bewegung-ü-日本" as Windows and as the program spell it.
constexpr const wchar_t* UTF16_TITLE = L"Bewegung-\u00fc-\u65e5\u672c";
const std::string UTF8_TITLE = "Bewegung-\xC3\xBC-\xE6\x97\xA5\xE6\x9C\xAC";

TEST(ConsoleWindows, ArgumentsArriveAsUtf8) {
  const std::wstring path = std::wstring(L"C:\\Motions\\Take 1\\") + UTF16_TITLE + L".bvh";
  const wchar_t* argv[] = {L"zev-convert", L"", path.c_str(), L"\U0001F3AC.bvh"};
  EXPECT_EQ(
      utf8Arguments(4, argv),
      (std::vector<std::string>{"zev-convert", "", "C:\\Motions\\Take 1\\" + UTF8_TITLE + ".bvh",
                                "\xF0\x9F\x8E\xAC.bvh"}));
}

// A pipe or a file gets the bytes as they are: no carriage return before a line feed, no code page
// in between, also when the stream was opened in text mode.
TEST(ConsoleWindows, AStreamThatIsNoConsoleGetsTheUtf8Bytes) {
  const test::TempDir dir;
  const auto path = dir.path() / "out.txt";
  std::FILE* file = _wfopen(path.c_str(), L"w");
  ASSERT_NE(file, nullptr);
  StandardStreamBuffer buffer(file);
  std::ostream out(&buffer);
  const std::string text = UTF8_TITLE + ".bvh: 150 frames\n" + std::string(5000, 'x') + "\r\n";
  out << text << std::flush;
  EXPECT_TRUE(out.good());
  std::fclose(file);
  EXPECT_EQ(test::readWholeFile(path), text);
}

TEST(ConsoleWindows, AFailedWriteFailsTheFlush) {
  const test::TempDir dir;
  const std::string path = dir.write("in.txt", "");
  std::FILE* readOnly = _wfopen(std::filesystem::path(path).c_str(), L"rb");
  ASSERT_NE(readOnly, nullptr);
  StandardStreamBuffer buffer(readOnly);
  std::ostream out(&buffer);
  out << "walk.bvh: 150 frames\n" << std::flush;
  EXPECT_TRUE(out.bad());
  std::fclose(readOnly);
}

// Each case: the name given, the files it stands for. Only the last part's wildcards count, and
// what matches nothing stands for itself, as a program's argument would.
TEST(ConsoleWindows, WildcardsNameTheFilesTheyMatch) {
  const test::TempDir dir;
  for (const char* file : {"walk.bvh", "run.bvh", "run.txt", "Take one\\jump.bvh"}) {
    std::filesystem::create_directories((dir.path() / file).parent_path());
    dir.write(file, "motion");
  }
  std::filesystem::create_directory(dir.path() / "old.bvh.d");
  const std::string d = dir.path().string() + "\\";
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
      {d + "*.bvh", {d + "run.bvh", d + "walk.bvh"}},
      {d + "r?n.*", {d + "run.bvh", d + "run.txt"}},
      {d + "Take one/*", {d + "Take one/jump.bvh"}},
      {d + "*.pz2", {d + "*.pz2"}},
      {d + "walk.bvh", {d + "walk.bvh"}},
  };
  for (const auto& [name, files] : cases) EXPECT_EQ(namesMatching(name), files) << name;
}

}  // namespace
}  // namespace zev
