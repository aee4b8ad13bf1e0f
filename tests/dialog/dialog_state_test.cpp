#include "dialog/dialog_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <tuple>

#include "bvh/bvh_reader.h"
#include "pages/graph_view.h"
#include "pages/panel_state.h"
#include "pz2/pz2_save.h"
#include "store/motion_store.h"
#include "support/test_motion.h"
#include "support/test_support.h"

namespace zev {
namespace {

const std::string COMPLETE(COMPLETE_MESSAGE);

bool endsBlack(const PanelOps& ops) {
  return !ops.empty() && ops.back().kind == PanelOpKind::FillBlack;
}

struct Buttons {
  bool save;
  bool analyze;
  bool graph;
  bool operator==(const Buttons&) const = default;
};

Buttons buttonsOf(const DialogState& state) {
  return {state.buttonEnabled(PassButton::Save), state.buttonEnabled(PassButton::Analyze),
          state.buttonEnabled(PassButton::Graph)};
}

constexpr Buttons ALL_ENABLED{true, true, true};
constexpr Buttons ALL_DISABLED{false, false, false};
constexpr Buttons ONLY_ANALYZE{false, true, false};

class DialogStateTest : public ::testing::Test {
 protected:
  std::string goodFile(const std::string& name = "walk.bvh") const {
    test::TestMotion motion(30);
    for (int frame = 0; frame < motion.frames(); ++frame) {
      motion.setRotation(frame, Track::chest, 2, frame * 1.5);
      motion.setHipPosition(frame, 1, frame * 0.25);
    }
    return folder_.write(name, motion.text());
  }
  // A state after a successful Open, its drawings already played.
  void openGood(DialogState& state) const {
    state.openFile(goodFile());
    ASSERT_EQ(buttonsOf(state), ALL_ENABLED);
    state.takePanelOps();
  }

  test::TempDir folder_;
};

TEST_F(DialogStateTest, OpenOfAGoodFileAnalysesItAndEnablesTheResults) {
  DialogState state;
  const std::string path = goodFile("jump.take2.bvh");
  state.openFile(path);
  EXPECT_EQ(state.bvhFilePath(), path);
  EXPECT_EQ(state.bvhFileTitle(), "jump.take2");
  EXPECT_EQ(state.proposedSaveName(), "jump.take2.pz2");
  EXPECT_EQ(buttonsOf(state), ALL_ENABLED);
  EXPECT_EQ(state.status(), COMPLETE);
  EXPECT_EQ(state.statusDetail(), "");
  EXPECT_EQ(state.store().motion.frameCount, 30);
  EXPECT_EQ(state.panel().panelMode, PanelMode::Nothing);
  EXPECT_TRUE(endsBlack(state.takePanelOps()));
  EXPECT_TRUE(state.takePanelOps().empty());
}

TEST_F(DialogStateTest, FailedAnalyzeKeepsTheButtonsUnlessTheFrameCountIsOutOfRange) {
  DialogState state;
  const std::string path = goodFile();
  state.openFile(path);

  test::writeWholeFile(path, test::TestMotion(30, "0.5").text());
  state.analyze();
  EXPECT_EQ(state.status(), bvhReadMessage(BvhReadStatus::FpsRange));
  // The status field's tooltip says where and why.
  EXPECT_EQ(state.statusDetail(), "line 64: Frame Time 0.5 is 2 fps, outside 12 to 60");
  EXPECT_EQ(buttonsOf(state), ALL_ENABLED);

  test::writeWholeFile(path, test::TestMotion(MAX_FRAMES + 1).text());
  state.analyze();
  EXPECT_EQ(state.status(), bvhReadMessage(BvhReadStatus::FrameRange));
  EXPECT_EQ(buttonsOf(state), ALL_DISABLED);

  // A good pass again leaves no stale detail behind.
  goodFile();
  state.analyze();
  EXPECT_EQ(state.status(), COMPLETE);
  EXPECT_EQ(state.statusDetail(), "");
}

TEST_F(DialogStateTest, ParameterChangesMarkTheResultsStaleExceptGFusion) {
  struct Case {
    Spin spin;
    Buttons after;
    PanelMode panelMode;
  };
  for (const Case& c : {Case{Spin::GCoefficient, ONLY_ANALYZE, PanelMode::Report},
                        Case{Spin::DelayTime, ONLY_ANALYZE, PanelMode::Graph},
                        Case{Spin::InertiaRate, ONLY_ANALYZE, PanelMode::Graph},
                        Case{Spin::AccelRate, ONLY_ANALYZE, PanelMode::Graph},
                        Case{Spin::GFusion, ALL_ENABLED, PanelMode::Graph}}) {
    SCOPED_TRACE(static_cast<int>(c.spin));
    DialogState state;
    state.selectMovieMode();
    state.openFile(goodFile());
    state.showGraph();
    ASSERT_EQ(state.panel().panelMode, PanelMode::Graph);
    state.stepSpin(c.spin, true);
    EXPECT_EQ(buttonsOf(state), c.after);
    EXPECT_EQ(state.panel().panelMode, c.panelMode);
  }
}

TEST_F(DialogStateTest, ModeClicksMarkTheResultsStaleEvenWhenAlreadySelected) {
  DialogState state;
  openGood(state);
  state.selectStillMode();
  EXPECT_EQ(buttonsOf(state), ONLY_ANALYZE);
  EXPECT_EQ(state.panel().panelMode, PanelMode::Report);
  EXPECT_FALSE(state.spinEnabled(Spin::DelayTime));

  state.selectMovieMode();
  EXPECT_FALSE(state.stillMode());
  EXPECT_FALSE(state.parameters().stillMode);
  for (Spin spin : {Spin::DelayTime, Spin::InertiaRate, Spin::AccelRate, Spin::GFusion}) {
    EXPECT_TRUE(state.spinEnabled(spin));
  }

  state.analyze();
  EXPECT_EQ(buttonsOf(state), ALL_ENABLED);
  EXPECT_EQ(state.status(), "");  // a movie-mode pass leaves the status field empty

  state.selectStillMode();
  EXPECT_EQ(buttonsOf(state), ONLY_ANALYZE);
  for (Spin spin : {Spin::DelayTime, Spin::InertiaRate, Spin::AccelRate, Spin::GFusion}) {
    EXPECT_FALSE(state.spinEnabled(spin));
  }
}

TEST_F(DialogStateTest, DefaultRestoresValuesAndDisablesSaveAndGraphButNothingElse) {
  DialogState state;
  openGood(state);
  state.selectMovieMode();
  state.analyze();
  state.showGraph();
  state.stepSpin(Spin::GFusion, true);
  state.stepSpin(Spin::GFusion, true);
  ASSERT_EQ(buttonsOf(state), ALL_ENABLED);

  state.restoreDefaults();
  EXPECT_EQ(state.position(Spin::GFusion), 35);
  EXPECT_EQ(buttonsOf(state), ONLY_ANALYZE);
  EXPECT_FALSE(state.stillMode());
  EXPECT_TRUE(state.spinEnabled(Spin::DelayTime));
  EXPECT_EQ(state.panel().panelMode, PanelMode::Graph);

  // Also when the values already were the defaults.
  state.analyze();
  state.restoreDefaults();
  EXPECT_EQ(buttonsOf(state), ONLY_ANALYZE);
}

TEST_F(DialogStateTest, SaveWritesThePoseFileOrReportsTheFailure) {
  DialogState state;
  openGood(state);
  const std::string target = (folder_.path() / "walk.pz2").string();
  state.saveTo(target);
  EXPECT_EQ(state.status(), COMPLETE);
  const std::string written = test::readWholeFile(target);
  ASSERT_TRUE(savePz2File(folder_.path() / "again.pz2", state.store()).ok());
  EXPECT_EQ(written, test::readWholeFile(folder_.path() / "again.pz2"));

  const std::string unreachable = (folder_.path() / "no-such-folder" / "walk.pz2").string();
  state.saveTo(unreachable);
  EXPECT_EQ(state.status(), PZ2_SAVE_ERROR_MESSAGE);
  // The status field's tooltip names the file and the system's reason.
  EXPECT_EQ(
      state.statusDetail(),
      unreachable + ": " + std::make_error_code(std::errc::no_such_file_or_directory).message());
  EXPECT_EQ(buttonsOf(state), ALL_ENABLED);

  // Saved after all: the failure no longer shows.
  state.saveTo(target);
  EXPECT_EQ(state.status(), "");
  EXPECT_EQ(state.statusDetail(), "");

  // Saving over the opened motion, here through a link, would lose it: refused.
  const std::string motion = test::readWholeFile(state.bvhFilePath());
  const std::filesystem::path link = folder_.path() / "motion.pz2";
  std::filesystem::create_symlink(state.bvhFilePath(), link);
  state.saveTo(link.string());
  EXPECT_EQ(state.status(), PZ2_SAVE_ERROR_MESSAGE);
  EXPECT_EQ(state.statusDetail(), link.string() + ": the same file as the opened motion");
  EXPECT_EQ(test::readWholeFile(state.bvhFilePath()), motion);
}

TEST_F(DialogStateTest, UnreadableOpenShowsWhyAndLeavesNothingToSaveOrAnalyze) {
  DialogState state;
  openGood(state);
  state.openUnreadable("/motions/huge.bvh", "too large");
  EXPECT_EQ(state.status(), bvhReadMessage(BvhReadStatus::CannotOpen));
  EXPECT_EQ(state.statusDetail(), "too large");
  EXPECT_EQ(state.bvhFileTitle(), "huge");
  EXPECT_EQ(buttonsOf(state), ALL_DISABLED);
  EXPECT_EQ(state.store().motion.frameCount, 0);
}

TEST_F(DialogStateTest, OnceUpTheDialogShowsTheAboutPageThenOpensTheFileItWasStartedWith) {
  const bool withFile[] = {false, true};
  for (const bool given : withFile) {
    SCOPED_TRACE(given);
    DialogState state;
    std::optional<std::string> startFile;
    if (given) startFile = goodFile();
    state.dialogIsUp(startFile);
    const PanelOps ops = state.takePanelOps();
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops.front().kind, PanelOpKind::FillBlack);
    const bool aboutPicture = std::any_of(ops.begin(), ops.end(), [](const PanelOp& op) {
      return op.kind == PanelOpKind::CopyPicture && op.pictureId == ABOUT_PICTURE;
    });
    EXPECT_TRUE(aboutPicture);
    // Open clears what the about page drew.
    EXPECT_EQ(endsBlack(ops), given);
    EXPECT_EQ(state.status(), given ? COMPLETE : "");
    EXPECT_EQ(buttonsOf(state), given ? ALL_ENABLED : ALL_DISABLED);
  }
}

// A press does the dialog's part and hands the shell only what it must do itself; a control that
// cannot be used, or that a press means nothing to, changes nothing.
TEST_F(DialogStateTest, PressDoesTheDialogsPartAndLeavesTheShellItsOwn) {
  struct Case {
    ControlId id;
    bool opened;  // after a good Open, or as the dialog starts
    ShellAction action;
    bool clearsPanel;
  };
  for (const Case& c : {
           Case{ControlId::OpenButton, false, ShellAction::ChooseFileToOpen, true},
           Case{ControlId::SaveButton, true, ShellAction::ChooseFileToSave, true},
           Case{ControlId::ExitButton, false, ShellAction::CloseDialog, false},
           Case{ControlId::ClearButton, false, ShellAction::None, true},
           Case{ControlId::SaveButton, false, ShellAction::None, false},
           Case{ControlId::GraphButton, false, ShellAction::None, false},
           Case{ControlId::LimitCheck, true, ShellAction::None, false},
           Case{ControlId::GCoefficientField, true, ShellAction::None, false},
           Case{ControlId::None, true, ShellAction::None, false},
           Case{static_cast<ControlId>(1), true, ShellAction::None, false},
       }) {
    SCOPED_TRACE(static_cast<int>(c.id));
    SCOPED_TRACE(c.opened);
    DialogState state;
    if (c.opened) openGood(state);
    const Buttons before = buttonsOf(state);
    EXPECT_EQ(state.press(c.id), c.action);
    const PanelOps ops = state.takePanelOps();
    EXPECT_EQ(ops == clearPanel(), c.clearsPanel);
    if (!c.clearsPanel) {
      EXPECT_TRUE(ops.empty());
    }
    EXPECT_EQ(buttonsOf(state), before);
    EXPECT_TRUE(state.limitOn());
  }

  DialogState state;
  openGood(state);
  EXPECT_EQ(state.press(ControlId::MovieModeRadio), ShellAction::None);
  EXPECT_FALSE(state.stillMode());
  EXPECT_EQ(buttonsOf(state), ONLY_ANALYZE);
  EXPECT_EQ(state.press(ControlId::AnalyzeButton), ShellAction::None);
  EXPECT_EQ(buttonsOf(state), ALL_ENABLED);
  state.takePanelOps();
  EXPECT_EQ(state.press(ControlId::GraphButton), ShellAction::None);
  EXPECT_EQ(state.panel().panelMode, PanelMode::Graph);
  EXPECT_EQ(state.panel().graphPage, 1);
  EXPECT_EQ(state.press(ControlId::DisplayPanel), ShellAction::None);
  EXPECT_EQ(state.panel().graphPage, 2);
  EXPECT_EQ(state.press(ControlId::InfoButton), ShellAction::None);
  EXPECT_EQ(state.panel().panelMode, PanelMode::Report);
  EXPECT_FALSE(state.takePanelOps().empty());
  state.stepSpin(Spin::GFusion, true);
  EXPECT_EQ(state.press(ControlId::DefaultButton), ShellAction::None);
  EXPECT_EQ(state.position(Spin::GFusion), G_FUSION_RANGE.defaultValue);
  EXPECT_EQ(state.press(ControlId::StillModeRadio), ShellAction::None);
  EXPECT_TRUE(state.stillMode());
}

// What each control of the description shows, as the shells ask for it.
TEST_F(DialogStateTest, EachControlShowsItsPartOfTheState) {
  DialogState state;
  const auto shown = [&state](ControlId id) {
    return std::string(state.enabled(id) ? "E" : "-") + (state.checked(id) ? "C" : "-");
  };
  for (const auto& [id, atStart, inMovieMode] : {
           std::tuple{ControlId::OpenButton, "E-", "E-"},
           std::tuple{ControlId::SaveButton, "--", "--"},
           std::tuple{ControlId::StillModeRadio, "EC", "E-"},
           std::tuple{ControlId::MovieModeRadio, "E-", "EC"},
           std::tuple{ControlId::LimitCheck, "-C", "-C"},
           std::tuple{ControlId::LoopCheck, "--", "E-"},
           std::tuple{ControlId::GCoefficientField, "E-", "E-"},
           std::tuple{ControlId::DelayTimeField, "--", "E-"},
           std::tuple{ControlId::GFusionSpin, "--", "E-"},
           std::tuple{ControlId::DisplayPanel, "E-", "E-"},
           std::tuple{ControlId::None, "--", "--"},
       }) {
    SCOPED_TRACE(static_cast<int>(id));
    state.selectStillMode();
    EXPECT_EQ(shown(id), atStart);
    state.selectMovieMode();
    EXPECT_EQ(shown(id), inMovieMode);
  }
}

// Loop is a movie-mode setting: a press toggles it and makes the results stale as a parameter
// does, the next pass takes the motion as a cycle and says so, and DEFAULT turns it off.
TEST_F(DialogStateTest, LoopIsAMovieModeSettingThatTheNextPassTakes) {
  DialogState state;
  openGood(state);
  EXPECT_EQ(state.press(ControlId::LoopCheck), ShellAction::None);
  EXPECT_FALSE(state.loop()) << "still mode has no loop";

  state.selectMovieMode();
  state.analyze();
  ASSERT_EQ(buttonsOf(state), ALL_ENABLED);
  state.press(ControlId::LoopCheck);
  EXPECT_TRUE(state.parameters().loop);
  EXPECT_EQ(buttonsOf(state), ONLY_ANALYZE);
  state.analyze();
  EXPECT_TRUE(state.store().signals.loopPass);
  EXPECT_EQ(state.statusDetail().rfind("loop: ", 0), 0u) << state.statusDetail();

  state.press(ControlId::LoopCheck);
  EXPECT_FALSE(state.loop());
  state.press(ControlId::LoopCheck);
  state.restoreDefaults();
  EXPECT_FALSE(state.parameters().loop);
}

TEST(DialogKeys, EnterAndEscapeBeepF3ClosesTheRestWorkAsUsual) {
  EXPECT_EQ(respondToKey(DialogKey::Enter), ShellAction::Beep);
  EXPECT_EQ(respondToKey(DialogKey::Escape), ShellAction::Beep);
  EXPECT_EQ(respondToKey(DialogKey::F3), ShellAction::CloseDialog);
  EXPECT_EQ(respondToKey(DialogKey::Other), std::nullopt);
}

TEST(StartFiles, MoreThanOneIsRefused) {
  EXPECT_EQ(refuseStartFiles(0), std::nullopt);
  EXPECT_EQ(refuseStartFiles(1), std::nullopt);
  EXPECT_EQ(refuseStartFiles(2), "one motion file at a time, not 2");
}

TEST(DroppedFile, OnlyOneFileNamedLikeAMotionOpens) {
  struct Case {
    int count;
    const char* name;
    bool opens;
  };
  for (const Case& c :
       {Case{1, "walk.bvh", true}, Case{1, "WALK.BvH", true}, Case{1, "take.2.bvh", true},
        Case{2, "walk.bvh", false}, Case{0, "", false}, Case{1, "walk.bvh.txt", false},
        Case{1, "walkbvh", false}, Case{1, "bvh", false}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(opensDroppedFile(c.count, c.name), c.opens);
  }
}

TEST_F(DialogStateTest, FileDialogsStartBesideTheLastFileOpenedOrSaved) {
  const test::TempDir elsewhere;
  const std::array<std::filesystem::path, 1> fallbacks{elsewhere.path()};
  DialogState state;
  EXPECT_EQ(state.fileDialogFolder(fallbacks), elsewhere.path());
  openGood(state);
  EXPECT_EQ(state.fileDialogFolder(fallbacks), folder_.path());

  // A save that fails, in a folder that exists: the dialogs keep starting beside the motion.
  std::filesystem::create_directory(elsewhere.path() / "taken.pz2");
  state.saveTo((elsewhere.path() / "taken.pz2").string());
  ASSERT_EQ(state.status(), PZ2_SAVE_ERROR_MESSAGE);
  EXPECT_EQ(state.fileDialogFolder(fallbacks), folder_.path());

  state.saveTo((elsewhere.path() / "walk.pz2").string());
  EXPECT_EQ(state.fileDialogFolder(fallbacks), elsewhere.path());
}

}  // namespace
}  // namespace zev
