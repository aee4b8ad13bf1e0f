#include "desktop/main_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "bvh/bvh_reader.h"
#include "desktop/file_dialogs.h"
#include "desktop/panel_widget.h"
#include "pages/panel_state.h"
#include "store/motion_store.h"
#include "support/qt_test_main.h"
#include "support/test_motion.h"
#include "support/test_support.h"

namespace zev {
namespace {

// Answers the file dialogs in place of the user and remembers what it was asked.
class ScriptedFileDialogs final : public FileDialogs {
 public:
  std::optional<std::string> chooseOpenPath(QWidget*,
                                            const std::filesystem::path& startFolder) override {
    ++openCalls;
    startFolders.push_back(startFolder);
    return next(openAnswers);
  }
  std::optional<std::string> chooseSavePath(QWidget*, const std::filesystem::path& startFolder,
                                            const std::string& proposedName) override {
    startFolders.push_back(startFolder);
    proposedNames.push_back(proposedName);
    if (panel != nullptr) panelAtSave = panel->image();
    return next(saveAnswers);
  }

  std::deque<std::optional<std::string>> openAnswers;
  std::deque<std::optional<std::string>> saveAnswers;
  int openCalls = 0;
  // Where each dialog started, open and save alike, in order.
  std::vector<std::filesystem::path> startFolders;
  std::vector<std::string> proposedNames;
  PanelWidget* panel = nullptr;
  QImage panelAtSave;

 private:
  static std::optional<std::string> next(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

bool allBlack(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) & 0xffffff) != 0) return false;
    }
  }
  return true;
}

// Set in the environment of the copy of this program that saves a picture of the started dialog
// into the file it names.
constexpr const char* GRAB_DIALOG_VARIABLE = "ZEV_TEST_GRAB_DIALOG_INTO";

// The dialog as it looks once the about page has been drawn; null if that page never came.
QImage grabStartedDialog() {
  ScriptedFileDialogs dialogs;
  MainDialog dialog(dialogs);
  dialog.show();
  const auto* panel = static_cast<PanelWidget*>(dialog.control(ControlId::DisplayPanel));
  if (!QTest::qWaitFor([panel] { return !allBlack(panel->image()); }, 2000)) return {};
  return dialog.grab().toImage();
}

class MainDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_.show();
    dialogs_.panel = panel();
    // The about page comes with the first timer event.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !allBlack(panel()->image()); }, 2000));
  }

  QPushButton* button(ControlId id) const { return qobject_cast<QPushButton*>(control(id)); }
  QLineEdit* field(ControlId id) const { return qobject_cast<QLineEdit*>(control(id)); }
  QWidget* control(ControlId id) const {
    QWidget* widget = dialog_.control(id);
    EXPECT_NE(widget, nullptr) << static_cast<int>(id);
    return widget;
  }
  PanelWidget* panel() const {
    return static_cast<PanelWidget*>(dialog_.control(ControlId::DisplayPanel));
  }
  QString status() const { return field(ControlId::StatusField)->text(); }
  // Where and why, as the status field's tooltip says it.
  std::string statusTip() const { return field(ControlId::StatusField)->toolTip().toStdString(); }

  // Which of Save, Analyze and Graph can be pressed, as "SAG" with "-" for a disabled one.
  std::string results() const {
    std::string out;
    out += button(ControlId::SaveButton)->isEnabled() ? 'S' : '-';
    out += button(ControlId::AnalyzeButton)->isEnabled() ? 'A' : '-';
    out += button(ControlId::GraphButton)->isEnabled() ? 'G' : '-';
    return out;
  }

  void clickArrow(ControlId spin, bool up) {
    const QList<QToolButton*> arrows = control(spin)->findChildren<QToolButton*>();
    ASSERT_EQ(arrows.size(), 2);
    QTest::mouseClick(arrows[up ? 0 : 1], Qt::LeftButton);
  }

  // The controls that Tab reaches, going round the dialog from the focused one.
  std::set<QWidget*> tabStops() const {
    std::set<QWidget*> stops;
    for (int i = 0; i < 40; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      stops.insert(QApplication::focusWidget());
    }
    return stops;
  }

  void openThroughDialog(const std::optional<std::string>& answer) {
    dialogs_.openAnswers.push_back(answer);
    QTest::mouseClick(button(ControlId::OpenButton), Qt::LeftButton);
  }

  std::string goodFile() const {
    test::TestMotion motion(40);
    for (int frame = 0; frame < motion.frames(); ++frame) {
      motion.setRotation(frame, Track::chest, 2, 20.0 - frame);
    }
    return folder_.write("dance.bvh", motion.text());
  }

  test::TempDir folder_;
  ScriptedFileDialogs dialogs_;
  MainDialog dialog_{dialogs_};
};

TEST(DialogUnits, ConvertWithTheDialogFontsCellScaledByResolution) {
  EXPECT_EQ(dialogUnitsToPixels(QRect(146, 4, 231, 178), 96), QRect(219, 7, 346, 311));
  EXPECT_EQ(dialogUnitsToPixels(QRect(0, 0, 381, 189), 96), QRect(0, 0, 571, 330));
  EXPECT_EQ(dialogUnitsToPixels(QRect(12, 9, 37, 13), 144), QRect(27, 23, 83, 34));
}

// The labels, the fields and the pages keep their room and their pixels on a machine that offers
// no font of its own: the program brings its own.
TEST(MainDialogLook, SameWithOrWithoutTheSystemsFonts) {
  const test::TempDir dir;
  const std::filesystem::path bare = dir.path() / "bare.png";
  ASSERT_EQ(test::runAgainWithoutSystemFonts(dir, GRAB_DIALOG_VARIABLE, bare.string()), "");
  const QImage normal = grabStartedDialog();
  ASSERT_FALSE(normal.isNull());
  EXPECT_EQ(QImage(QString::fromStdString(bare.string())).convertToFormat(normal.format()), normal);
}

TEST_F(MainDialogTest, StartsWithDefaultsAndOnlyTheAlwaysUsableControlsEnabled) {
  EXPECT_EQ(dialog_.windowTitle(), "Z.E.V ");
  EXPECT_EQ(field(ControlId::GCoefficientField)->text(), "10");
  EXPECT_EQ(field(ControlId::DelayTimeField)->text(), "5");
  EXPECT_EQ(field(ControlId::InertiaRateField)->text(), "10");
  EXPECT_EQ(field(ControlId::AccelRateField)->text(), "10");
  EXPECT_EQ(field(ControlId::GFusionField)->text(), "35");
  EXPECT_TRUE(field(ControlId::GFusionField)->isReadOnly());
  EXPECT_EQ(status(), "");

  for (ControlId id : {ControlId::OpenButton, ControlId::InfoButton, ControlId::ClearButton,
                       ControlId::ExitButton, ControlId::DefaultButton, ControlId::StillModeRadio,
                       ControlId::MovieModeRadio, ControlId::GCoefficientSpin}) {
    EXPECT_TRUE(control(id)->isEnabled()) << static_cast<int>(id);
  }
  for (ControlId id :
       {ControlId::SaveButton, ControlId::AnalyzeButton, ControlId::GraphButton,
        ControlId::DelayTimeSpin, ControlId::InertiaRateSpin, ControlId::AccelRateSpin,
        ControlId::GFusionSpin, ControlId::LimitCheck, ControlId::LoopCheck}) {
    EXPECT_FALSE(control(id)->isEnabled()) << static_cast<int>(id);
  }
  EXPECT_TRUE(qobject_cast<QRadioButton*>(control(ControlId::StillModeRadio))->isChecked());
  EXPECT_FALSE(qobject_cast<QRadioButton*>(control(ControlId::MovieModeRadio))->isChecked());
  EXPECT_TRUE(qobject_cast<QCheckBox*>(control(ControlId::LimitCheck))->isChecked());
  EXPECT_EQ(button(ControlId::OpenButton)->text(), "&Open");
  EXPECT_EQ(button(ControlId::ExitButton)->text(), "e&Xit");
  EXPECT_EQ(qobject_cast<QRadioButton*>(control(ControlId::MovieModeRadio))->text(), "Movie  Mode");
  EXPECT_EQ(panel()->size(), QSize(PANEL_WIDTH, PANEL_HEIGHT));
}

TEST_F(MainDialogTest, OpenSetsTheButtonsByTheOutcome) {
  openThroughDialog(std::nullopt);
  EXPECT_EQ(dialogs_.openCalls, 1);
  EXPECT_EQ(results(), "---");
  EXPECT_EQ(status(), "");

  openThroughDialog(goodFile());
  EXPECT_EQ(results(), "SAG");
  EXPECT_EQ(status(), "COMPLETE...");
  EXPECT_TRUE(allBlack(panel()->image()));

  // Cancelling keeps what was opened before.
  openThroughDialog(std::nullopt);
  EXPECT_EQ(results(), "SAG");

  openThroughDialog(folder_.write("short.bvh", test::TestMotion(MIN_FRAMES - 1).text()));
  EXPECT_EQ(results(), "---");
  EXPECT_EQ(status().toStdString(), bvhReadMessage(BvhReadStatus::FrameRange));
  EXPECT_EQ(statusTip(), "line 63: Frames: 14 is outside 15 to 500");

  openThroughDialog(goodFile());
  EXPECT_EQ(statusTip(), "");
  openThroughDialog(folder_.write("slow.bvh", test::TestMotion(30, "0.5").text()));
  EXPECT_EQ(results(), "---");
  EXPECT_EQ(status().toStdString(), bvhReadMessage(BvhReadStatus::FpsRange));
}

TEST_F(MainDialogTest, ParameterChangesAndDefaultMarkTheResultsStale) {
  openThroughDialog(goodFile());
  QTest::mouseClick(control(ControlId::MovieModeRadio), Qt::LeftButton);
  EXPECT_EQ(results(), "-A-");
  for (ControlId id : {ControlId::DelayTimeSpin, ControlId::InertiaRateSpin,
                       ControlId::AccelRateSpin, ControlId::GFusionSpin}) {
    EXPECT_TRUE(control(id)->isEnabled()) << static_cast<int>(id);
  }

  QTest::mouseClick(button(ControlId::AnalyzeButton), Qt::LeftButton);
  EXPECT_EQ(results(), "SAG");
  EXPECT_EQ(status(), "");
  clickArrow(ControlId::GFusionSpin, true);
  EXPECT_EQ(field(ControlId::GFusionField)->text(), "36");
  EXPECT_EQ(results(), "SAG");
  clickArrow(ControlId::InertiaRateSpin, false);
  EXPECT_EQ(field(ControlId::InertiaRateField)->text(), "9");
  EXPECT_EQ(results(), "-A-");

  // Loop is a movie-mode setting like the spins; the pass it asks for says how it took the motion.
  QTest::mouseClick(button(ControlId::AnalyzeButton), Qt::LeftButton);
  auto* loop = qobject_cast<QCheckBox*>(control(ControlId::LoopCheck));
  QTest::mouseClick(loop, Qt::LeftButton);
  EXPECT_TRUE(loop->isChecked());
  EXPECT_EQ(results(), "-A-");
  QTest::mouseClick(button(ControlId::AnalyzeButton), Qt::LeftButton);
  EXPECT_TRUE(statusTip().starts_with("loop: ")) << statusTip();

  QTest::mouseClick(button(ControlId::DefaultButton), Qt::LeftButton);
  EXPECT_EQ(results(), "-A-");
  EXPECT_FALSE(loop->isChecked());
  EXPECT_EQ(field(ControlId::InertiaRateField)->text(), "10");
  EXPECT_EQ(field(ControlId::GFusionField)->text(), "35");
  EXPECT_TRUE(qobject_cast<QRadioButton*>(control(ControlId::MovieModeRadio))->isChecked());

  QTest::mouseClick(button(ControlId::AnalyzeButton), Qt::LeftButton);
  QTest::mouseClick(control(ControlId::MovieModeRadio), Qt::LeftButton);
  EXPECT_EQ(results(), "-A-");  // also a click on the mode already selected
  QTest::mouseClick(control(ControlId::StillModeRadio), Qt::LeftButton);
  EXPECT_FALSE(control(ControlId::DelayTimeSpin)->isEnabled());
}

TEST_F(MainDialogTest, SpinsWrapAroundWithArrowsAndArrowKeys) {
  for (int i = 0; i < 10; ++i) QTest::keyClick(field(ControlId::GCoefficientField), Qt::Key_Up);
  EXPECT_EQ(field(ControlId::GCoefficientField)->text(), "20");
  QTest::keyClick(field(ControlId::GCoefficientField), Qt::Key_Up);
  EXPECT_EQ(field(ControlId::GCoefficientField)->text(), "1");
  clickArrow(ControlId::GCoefficientSpin, false);
  EXPECT_EQ(field(ControlId::GCoefficientField)->text(), "20");

  // A disabled spin keeps its value, also for the arrow keys in its field.
  QTest::keyClick(field(ControlId::DelayTimeField), Qt::Key_Down);
  EXPECT_EQ(field(ControlId::DelayTimeField)->text(), "5");

  QTest::mouseClick(control(ControlId::MovieModeRadio), Qt::LeftButton);
  for (int i = 0; i < 5; ++i) clickArrow(ControlId::DelayTimeSpin, false);
  EXPECT_EQ(field(ControlId::DelayTimeField)->text(), "0");
  QTest::keyClick(control(ControlId::DelayTimeSpin), Qt::Key_Down);
  EXPECT_EQ(field(ControlId::DelayTimeField)->text(), "10");
}

TEST_F(MainDialogTest, OnlyWhatTheUserCanChangeTakesTheFocus) {
  ASSERT_TRUE(button(ControlId::OpenButton)->hasFocus());
  struct Case {
    ControlId id;
    bool stop;
  };
  for (const bool stillMode : {true, false}) {
    QTest::mouseClick(control(stillMode ? ControlId::StillModeRadio : ControlId::MovieModeRadio),
                      Qt::LeftButton);
    const std::set<QWidget*> stops = tabStops();
    for (const Case& c :
         {Case{ControlId::OpenButton, true}, Case{ControlId::GCoefficientField, true},
          // A field whose arrows are disabled cannot change.
          Case{ControlId::DelayTimeField, !stillMode}, Case{ControlId::GFusionField, !stillMode},
          Case{ControlId::StatusField, false}}) {
      SCOPED_TRACE(static_cast<int>(c.id));
      SCOPED_TRACE(stillMode ? "still mode" : "movie mode");
      EXPECT_EQ(stops.count(control(c.id)), c.stop ? 1u : 0u);
    }
  }
}

TEST_F(MainDialogTest, TheFocusedButtonShowsItsFocusFromTheStart) {
  QPushButton* open = button(ControlId::OpenButton);
  ASSERT_TRUE(open->hasFocus());
  const QImage focused = open->grab().toImage();
  button(ControlId::InfoButton)->setFocus(Qt::OtherFocusReason);
  EXPECT_NE(open->grab().toImage(), focused);
}

TEST_F(MainDialogTest, EnterAndEscapeDoNothingButBeep) {
  button(ControlId::OpenButton)->setFocus();
  QTest::keyClick(button(ControlId::OpenButton), Qt::Key_Return);
  QTest::keyClick(button(ControlId::OpenButton), Qt::Key_Enter);
  QTest::keyClick(field(ControlId::GFusionField), Qt::Key_Escape);
  QTest::keyClick(&dialog_, Qt::Key_Escape);
  EXPECT_EQ(dialogs_.openCalls, 0);
  EXPECT_TRUE(dialog_.isVisible());

  // Space presses the focused button as usual.
  QTest::keyClick(button(ControlId::OpenButton), Qt::Key_Space);
  EXPECT_EQ(dialogs_.openCalls, 1);
}

TEST_F(MainDialogTest, F3ExitAndCloseEndTheDialogAlike) {
  QTest::keyClick(field(ControlId::StatusField), Qt::Key_F3);
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Rejected);

  dialog_.show();
  QTest::mouseClick(button(ControlId::ExitButton), Qt::LeftButton);
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Rejected);

  dialog_.show();
  EXPECT_TRUE(dialog_.close());
  EXPECT_EQ(dialog_.result(), QDialog::Rejected);
}

TEST_F(MainDialogTest, PanelClicksFollowInfoAndGraph) {
  const QImage about = panel()->image();
  QTest::mouseClick(panel(), Qt::LeftButton);
  EXPECT_EQ(panel()->image(), about);

  QTest::mouseClick(button(ControlId::InfoButton), Qt::LeftButton);
  EXPECT_EQ(dialog_.state().panel().panelMode, PanelMode::Report);
  QTest::mouseClick(button(ControlId::ClearButton), Qt::LeftButton);
  EXPECT_TRUE(allBlack(panel()->image()));
  QTest::mouseClick(panel(), Qt::LeftButton);
  EXPECT_FALSE(allBlack(panel()->image()));
  const QImage report = panel()->image();

  openThroughDialog(goodFile());
  QTest::mouseClick(button(ControlId::GraphButton), Qt::LeftButton);
  EXPECT_EQ(dialog_.state().panel().graphPage, 1);
  EXPECT_EQ(dialog_.state().panel().panelMode, PanelMode::Graph);
  QTest::mouseClick(panel(), Qt::LeftButton);
  EXPECT_EQ(dialog_.state().panel().graphPage, 2);
  EXPECT_NE(panel()->image(), report);
}

TEST_F(MainDialogTest, SaveClearsThePanelThenWritesTheChosenFile) {
  openThroughDialog(goodFile());
  QTest::mouseClick(button(ControlId::InfoButton), Qt::LeftButton);

  const std::string target = (folder_.path() / "dance.pz2").string();
  dialogs_.saveAnswers.push_back(target);
  QTest::mouseClick(button(ControlId::SaveButton), Qt::LeftButton);
  ASSERT_EQ(dialogs_.proposedNames.size(), 1u);
  EXPECT_EQ(dialogs_.proposedNames[0], "dance.pz2");
  EXPECT_TRUE(allBlack(dialogs_.panelAtSave));
  EXPECT_EQ(test::readWholeFile(target).substr(0, 9), "{\n\nversio");
  EXPECT_EQ(status(), "COMPLETE...");

  const std::string unreachable = (folder_.path() / "gone" / "dance.pz2").string();
  dialogs_.saveAnswers.push_back(unreachable);
  QTest::mouseClick(button(ControlId::SaveButton), Qt::LeftButton);
  EXPECT_EQ(status(), "PZ2 FILE SAVE ERR");
  EXPECT_EQ(statusTip(), unreachable + ": " +
                             std::make_error_code(std::errc::no_such_file_or_directory).message());

  // Saved after all: the failure and its reason no longer show.
  dialogs_.saveAnswers.push_back(target);
  QTest::mouseClick(button(ControlId::SaveButton), Qt::LeftButton);
  EXPECT_EQ(status(), "");
  EXPECT_EQ(statusTip(), "");
}

TEST_F(MainDialogTest, DroppingAMotionFileOpensIt) {
  const auto drop = [this](const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = control(ControlId::StatusField)->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog_, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog_, &dropped);
    return true;
  };
  EXPECT_FALSE(drop(QString::fromStdString(folder_.write("notes.txt", "x"))));
  EXPECT_TRUE(drop(QString::fromStdString(goodFile())));
  EXPECT_EQ(dialogs_.openCalls, 0);
  EXPECT_EQ(results(), "SAG");
  EXPECT_EQ(dialog_.state().bvhFileTitle(), "dance");

  // Save proposes the pose file beside the dropped motion.
  QTest::mouseClick(button(ControlId::SaveButton), Qt::LeftButton);
  ASSERT_EQ(dialogs_.startFolders.size(), 1u);
  EXPECT_EQ(dialogs_.startFolders.back(), folder_.path());
  EXPECT_EQ(dialogs_.proposedNames.back(), "dance.pz2");
}

// `zev FILE.bvh`, as a file manager starts it.
class MainDialogStartedWithAFile : public MainDialogTest {
 protected:
  void SetUp() override {
    dialog_.openWhenShown(goodFile());
    dialog_.show();
    // The about page, then the motion as Open would open it.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !status().isEmpty(); }, 2000));
  }
};

TEST_F(MainDialogStartedWithAFile, OpensItAsOpenWouldAndSavesBesideIt) {
  EXPECT_EQ(dialog_.state().bvhFileTitle(), "dance");
  EXPECT_EQ(results(), "SAG");
  EXPECT_EQ(status(), "COMPLETE...");
  EXPECT_EQ(dialogs_.openCalls, 0);
  QTest::mouseClick(button(ControlId::SaveButton), Qt::LeftButton);
  EXPECT_EQ(dialogs_.startFolders, std::vector<std::filesystem::path>{folder_.path()});
}

}  // namespace
}  // namespace zev

int main(int argc, char** argv) {
  if (const char* file = std::getenv(zev::GRAB_DIALOG_VARIABLE)) {
    QApplication application(argc, argv);
    return zev::grabStartedDialog().save(QString::fromLocal8Bit(file)) ? 0 : 1;
  }
  return zev::test::runQtTests<QApplication>(argc, argv);
}
