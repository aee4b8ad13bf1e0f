// The dialog's state with the names Windows users give their files: it holds them as UTF-8, and
// the system would read a narrow name in its own code page.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "dialog/dialog_state.h"
#include "files/file_system.h"
#include "support/test_motion.h"
#include "support/test_support.h"

namespace zev {
namespace {

// "Bewegung-ü-日本" as the program holds it.
const std::string UNICODE_TITLE = "Bewegung-\xC3\xBC-\xE6\x97\xA5\xE6\x9C\xAC";

std::string utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

TEST(DialogStateWindows, OpensAndSavesFilesOfAnyName) {
  const test::TempDir dir;
  const std::filesystem::path folder = pathFromUtf8(utf8Of(dir.path()) + "\\" + UNICODE_TITLE);
  std::filesystem::create_directory(folder);
  const std::string motion = utf8Of(folder) + "\\" + UNICODE_TITLE + ".bvh";
  test::writeWholeFile(pathFromUtf8(motion), test::TestMotion(30).text());

  DialogState state;
  state.openFile(motion);
  EXPECT_EQ(state.status(), "COMPLETE...") << state.statusDetail();
  EXPECT_EQ(state.bvhFileTitle(), UNICODE_TITLE);
  const std::array<std::filesystem::path, 1> fallbacks{dir.path()};
  EXPECT_EQ(state.fileDialogFolder(fallbacks), folder);

  const std::string pose = utf8Of(folder) + "\\" + state.proposedSaveName();
  state.saveTo(pose);
  EXPECT_EQ(state.status(), "COMPLETE...") << state.statusDetail();
  EXPECT_TRUE(std::filesystem::is_regular_file(pathFromUtf8(pose)));
}

}  // namespace
}  // namespace zev
