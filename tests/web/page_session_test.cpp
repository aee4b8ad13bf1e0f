#include "web/page_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "bvh/bvh_reader.h"
#include "pages/graph_view.h"
#include "pz2/pz2_save.h"
#include "support/test_motion.h"
#include "support/test_support.h"
#include "web/page_json.h"

namespace zev {
namespace {

namespace fs = std::filesystem;

std::set<std::string> filesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

std::string goodMotion(int frames = 30) {
  test::TestMotion motion(frames);
  for (int frame = 0; frame < motion.frames(); ++frame) {
    motion.setRotation(frame, Track::chest, 2, frame * 1.5);
    motion.setHipPosition(frame, 1, frame * 0.25);
  }
  return motion.text();
}

class PageSessionTest : public ::testing::Test {
 protected:
  fs::path kept() const { return folder_.path() / "kept"; }

  test::TempDir folder_;
};

// The page's bytes go the dialog's way: the same pose file and signals as the dialog's Open of the
// same file on disk, in both modes, and Analyze reads the kept bytes again.
TEST_F(PageSessionTest, OpenedBytesGiveTheDialogsResults) {
  const std::string bytes = goodMotion();
  const std::string path = folder_.write("jump.bvh", bytes);
  PageSession page(kept());
  DialogState dialog;
  page.openFile("jump.bvh", bytes);
  dialog.openFile(path);
  EXPECT_EQ(page.dialog().status(), dialog.status());
  EXPECT_EQ(page.dialog().bvhFileTitle(), "jump");
  EXPECT_TRUE(page.dialog().buttonEnabled(PassButton::Save));
  const auto sameResults = [&] {
    const fs::path saved = folder_.path() / "dialog.pz2";
    ASSERT_TRUE(savePz2File(saved, dialog.store()).ok());
    EXPECT_EQ(page.poseFile(), test::readWholeFile(saved));
    const std::string csv = page.signalsCsv();
    EXPECT_EQ(csv.substr(0, 6), "frame,");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 30);  // the header and every frame
  };
  sameResults();
  page.dialog().selectMovieMode();
  dialog.selectMovieMode();
  page.dialog().analyze();
  dialog.analyze();
  EXPECT_EQ(page.dialog().status(), "");
  sameResults();
}

TEST_F(PageSessionTest, KeepsOnlyTheFileOpenedLast) {
  PageSession page(kept());
  page.openFile("first.bvh", goodMotion());
  page.openFile("second.bvh", goodMotion(40));
  EXPECT_EQ(filesIn(kept()), std::set<std::string>{"second.bvh"});
  EXPECT_EQ(page.dialog().store().motion.frameCount, 40);
}

// Files the page does not read or cannot keep end as an Open that could not open its file: the
// reader's message, the reason as detail, nothing to save, nothing left in the page's memory.
TEST_F(PageSessionTest, FilesThePageCannotTakeGetAMessage) {
  PageSession page(kept());
  page.openFile("walk.bvh", goodMotion());

  EXPECT_TRUE(page.admitsFile("big.bvh", static_cast<double>(MAX_PAGE_FILE_BYTES)));
  EXPECT_FALSE(page.admitsFile("huge.bvh", 40.0 * (1 << 20)));
  EXPECT_EQ(page.dialog().status(), bvhReadMessage(BvhReadStatus::CannotOpen));
  EXPECT_EQ(page.dialog().statusDetail(), "huge.bvh: 40.0 MB, more than the 32 MB the page reads");
  EXPECT_EQ(page.dialog().bvhFileTitle(), "huge");
  EXPECT_FALSE(page.dialog().buttonEnabled(PassButton::Save));
  EXPECT_FALSE(page.dialog().buttonEnabled(PassButton::Analyze));

  page.openFile("", goodMotion());
  EXPECT_EQ(page.dialog().status(), bvhReadMessage(BvhReadStatus::CannotOpen));
  EXPECT_FALSE(page.dialog().buttonEnabled(PassButton::Analyze));
  EXPECT_TRUE(filesIn(kept()).empty());

  page.openUnreadable("gone.bvh", "gone.bvh: the file was moved");
  EXPECT_EQ(page.dialog().statusDetail(), "gone.bvh: the file was moved");
}

// Bytes that are no motion at all reach the reader like any file and get its message.
TEST_F(PageSessionTest, BinaryBytesGetTheReadersMessage) {
  PageSession page(kept());
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>((i * 37) % 256);
  page.openFile("picture.bvh", bytes);
  EXPECT_EQ(page.dialog().status(), bvhReadMessage(BvhReadStatus::NotPoserFormat));
  EXPECT_FALSE(page.dialog().buttonEnabled(PassButton::Save));
}

// Where the page shows more than the dialog: before any file the panel invites one, unless it
// shows a page the user asked for; a pass that worked draws the Chest page, wherever the dialog's
// pages had got to, and says what it analysed; each command that draws names the picture of the
// panel; a download keeps the panel; a failed pass leaves it and says the reader's detail alone.
TEST_F(PageSessionTest, ThePanelShowsAndNamesWhatThePageDid) {
  PageSession page(kept());
  page.dialogIsUp();
  EXPECT_TRUE(page.showsEmptyState());
  page.press(ControlId::InfoButton);
  EXPECT_FALSE(page.showsEmptyState());
  page.press(ControlId::ClearButton);
  EXPECT_TRUE(page.showsEmptyState());

  page.openFile("jump.take2.bvh", goodMotion());
  EXPECT_EQ(page.detail(), "30 frames analysed, still mode");
  page.press(ControlId::GraphButton);
  EXPECT_NE(page.stateJson().find(R"("fileName":"jump.take2.bvh","shownPage":"hair",)"
                                  R"("emptyState":false,"poseName":"jump.take2.pz2",)"
                                  R"("signalsName":"jump.take2-signals.csv",)"
                                  R"("pageName":"jump.take2-hair.png")"),
            std::string::npos);
  page.press(ControlId::MovieModeRadio);
  page.takePanelOpsJson();
  page.press(ControlId::AnalyzeButton);
  EXPECT_EQ(page.detail(), "30 frames analysed, movie mode");
  PanelState fresh;
  EXPECT_EQ(page.takePanelOpsJson(),
            panelOpsJson(showGraphPage(fresh, page.dialog().store(), false)));
  struct Step {
    ControlId press;
    std::string_view shown;
  };
  for (const Step& step :
       {Step{ControlId::DisplayPanel, "hair"}, Step{ControlId::InfoButton, "report"},
        Step{ControlId::ClearButton, "page"}, Step{ControlId::DisplayPanel, "report"},
        Step{ControlId::GraphButton, "ring"}, Step{ControlId::SaveButton, "ring"}}) {
    page.press(step.press);
    EXPECT_EQ(page.shownPage(), step.shown);
    // Save alone leaves the panel as it is.
    EXPECT_EQ(page.takePanelOpsJson() == "[]", step.press == ControlId::SaveButton);
  }

  folder_.write("kept/jump.take2.bvh", "HIERARCHY\n");
  page.press(ControlId::AnalyzeButton);
  EXPECT_EQ(page.detail(), page.dialog().statusDetail());
  EXPECT_EQ(page.takePanelOpsJson(), "[]");
}

// A typed number goes where the arrows would take the spin, with what their steps make stale, and
// never past either end.
TEST_F(PageSessionTest, TypedValuesSetTheirSpinInItsRange) {
  PageSession page(kept());
  page.openFile("jump.bvh", goodMotion());
  struct Case {
    Spin spin;
    int value;
    bool taken;
    bool saveStays;
  };
  for (const Case& c :
       {Case{Spin::GCoefficient, 10, true, true},  // where it stands
        Case{Spin::GCoefficient, 21, false, true}, Case{Spin::DelayTime, 3, false, true},
        Case{Spin::GCoefficient, 1, true, false}}) {
    page.press(ControlId::AnalyzeButton);
    const int before = page.dialog().position(c.spin);
    EXPECT_EQ(page.setSpin(c.spin, c.value), c.taken) << c.value;
    EXPECT_EQ(page.dialog().position(c.spin), c.taken ? c.value : before);
    EXPECT_EQ(page.dialog().buttonEnabled(PassButton::Save), c.saveStays) << c.value;
  }
  page.press(ControlId::MovieModeRadio);
  page.press(ControlId::AnalyzeButton);
  EXPECT_TRUE(page.setSpin(Spin::GFusion, 99));
  EXPECT_TRUE(page.dialog().buttonEnabled(PassButton::Save)) << "G Fusion keeps the results";
}

}  // namespace
}  // namespace zev
