#include "desktop/file_dialogs.h"

#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <optional>
#include <vector>

#include "support/test_support.h"

namespace zev {
namespace {

TEST(PoseFilePath, AddsTheExtensionAndAsksBeforeReplacingThatFile) {
  const test::TempDir dir;
  dir.write("dance.pz2", "kept");
  const QString folder = QString::fromStdString(dir.path().string());
  struct Case {
    const char* name;
    std::deque<QString> typed;  // into each dialog in turn; empty: Cancel
    std::deque<bool> replace;   // the answers to the question
    std::optional<QString> chosen;
    std::vector<QString> proposed;  // the names the dialogs proposed
  };
  const std::vector<Case> cases{
      {"a new name", {"walk"}, {}, folder + "/walk.pz2", {"dance.pz2"}},
      // The dialog itself asked about a name typed with its extension.
      {"the existing name", {"dance.pz2"}, {}, folder + "/dance.pz2", {"dance.pz2"}},
      {"replace", {"dance"}, {true}, folder + "/dance.pz2", {"dance.pz2"}},
      {"keep, then cancel", {"dance", ""}, {false}, std::nullopt, {"dance.pz2", "dance.pz2"}},
      {"keep, then another name",
       {"dance", "hop"},
       {false},
       folder + "/hop.pz2",
       {"dance.pz2", "dance.pz2"}},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<QString> proposed;
    const std::optional<QString> chosen = choosePoseFilePath(
        folder, QStringLiteral("dance.pz2"),
        [&](const QString& in, const QString& name) -> std::optional<QString> {
          EXPECT_EQ(in, folder);
          proposed.push_back(name);
          if (c.typed.empty()) return std::nullopt;  // asked once too often
          const QString typed = c.typed.front();
          c.typed.pop_front();
          if (typed.isEmpty()) return std::nullopt;
          return in + "/" + typed;
        },
        [&](const QString&) {
          if (c.replace.empty()) return false;
          const bool answer = c.replace.front();
          c.replace.pop_front();
          return answer;
        });
    EXPECT_EQ(chosen, c.chosen);
    EXPECT_EQ(proposed, c.proposed);
    EXPECT_TRUE(c.typed.empty() && c.replace.empty());
  }
  EXPECT_EQ(test::readWholeFile(dir.path() / "dance.pz2"), "kept");
}

}  // namespace
}  // namespace zev

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
