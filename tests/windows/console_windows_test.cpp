#include "cli/console_windows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

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

}  // namespace
}  // namespace zev
