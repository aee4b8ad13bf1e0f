#include "dialog/dialog_state.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

#include "files/file_system.h"
#include "files/output_claims.h"
#include "pages/graph_view.h"
#include "pages/report_pages.h"
#include "pz2/pz2_save.h"

namespace zev {

bool opensDroppedFile(int fileCount, std::string_view firstName) {
  constexpr std::string_view EXTENSION = ".bvh";
  if (fileCount != 1 || firstName.size() < EXTENSION.size()) return false;
  return std::equal(EXTENSION.begin(), EXTENSION.end(), firstName.end() - EXTENSION.size(),
                    [](char wanted, char found) {
                      return wanted == std::tolower(static_cast<unsigned char>(found));
                    });
}

std::optional<std::string> refuseStartFiles(std::size_t fileCount) {
  if (fileCount <= 1) return std::nullopt;
  return "one motion file at a time, not " + std::to_string(fileCount);
}

std::optional<ShellAction> respondToKey(DialogKey key) {
  switch (key) {
    case DialogKey::Enter:
    case DialogKey::Escape:
      return ShellAction::Beep;
    case DialogKey::F3:
      return ShellAction::CloseDialog;
    case DialogKey::Other:
      break;
  }
  return std::nullopt;
}

DialogState::DialogState() : store_(std::make_unique<MotionStore>()) { restoreDefaults(); }

DialogState::~DialogState() = default;

ShellAction DialogState::press(ControlId id) {
  if (!enabled(id)) return ShellAction::None;
  switch (id) {
    case ControlId::OpenButton:
      beginOpen();
      return ShellAction::ChooseFileToOpen;
    case ControlId::SaveButton:
      beginSave();
      return ShellAction::ChooseFileToSave;
    case ControlId::ExitButton:
      return ShellAction::CloseDialog;
    case ControlId::AnalyzeButton:
      analyze();
      break;
    case ControlId::GraphButton:
      showGraph();
      break;
    case ControlId::InfoButton:
      showInfo();
      break;
    case ControlId::ClearButton:
      clearPanel();
      break;
    case ControlId::DefaultButton:
      restoreDefaults();
      break;
    // Every click counts, also on the mode already selected.
    case ControlId::StillModeRadio:
      selectStillMode();
      break;
    case ControlId::MovieModeRadio:
      selectMovieMode();
      break;
    case ControlId::DisplayPanel:
      panelClicked();
      break;
    // Loop mode changes the movie-mode signals as a parameter does.
    case ControlId::LoopCheck:
      loop_ = !loop_;
      markResultsStale();
      break;
    default:
      break;
  }
  return ShellAction::None;
}

bool DialogState::enabled(ControlId id) const {
  const ControlTemplate* row = controlOf(id);
  if (row == nullptr || row->neverEnabled) return false;
  if (const std::optional<Spin> spin = spinOf(id)) return spinEnabled(*spin);
  switch (id) {
    case ControlId::SaveButton:
      return buttonEnabled(PassButton::Save);
    case ControlId::AnalyzeButton:
      return buttonEnabled(PassButton::Analyze);
    case ControlId::GraphButton:
      return buttonEnabled(PassButton::Graph);
    // Still mode computes each frame alone; a loop means nothing there.
    case ControlId::LoopCheck:
      return !stillMode_;
    default:
      return true;
  }
}

bool DialogState::checked(ControlId id) const {
  switch (id) {
    case ControlId::StillModeRadio:
      return stillMode_;
    case ControlId::MovieModeRadio:
      return !stillMode_;
    case ControlId::LimitCheck:
      return limitOn_;
    case ControlId::LoopCheck:
      return loop_;
    default:
      return false;
  }
}

void DialogState::showStatus(std::string_view message, std::string_view detail) {
  status_ = message;
  statusDetail_ = detail;
}

void DialogState::setButtonEnabled(PassButton button, bool enabled) {
  buttonsEnabled_[static_cast<int>(button)] = enabled;
}

void DialogState::clearPanel() { draw(::zev::clearPanel()); }

void DialogState::beginOpen() { clearPanel(); }

void DialogState::beginSave() { clearPanel(); }

void DialogState::openFile(std::string_view path) {
  rememberOpenedFile(path);
  analyze();
}

void DialogState::openGivenFile(std::string_view path) {
  beginOpen();
  openFile(path);
}

void DialogState::dialogIsUp(const std::optional<std::string>& startFile) {
  showAbout();
  if (startFile) openGivenFile(*startFile);
}

void DialogState::openUnreadable(std::string_view path, std::string_view reason) {
  rememberOpenedFile(path);
  showStatus(bvhReadMessage(BvhReadStatus::CannotOpen), reason);
}

void DialogState::analyze() {
  runAnalysisPass(parameters(), pathFromUtf8(bvhFilePath_), reader_, *store_, *this);
}

void DialogState::saveTo(const std::string& path) {
  // The pose file never replaces the motion it was made from, which Analyze reads again.
  const std::filesystem::path file = pathFromUtf8(path);
  OutputClaims claims;
  claims.addInput(pathFromUtf8(bvhFilePath_));
  if (!claims.claim(file, bvhFilePath_).granted) {
    showStatus(PZ2_SAVE_ERROR_MESSAGE, path + ": the same file as the opened motion");
    return;
  }
  const SaveResult result = savePz2File(file, *store_);
  if (!result.ok()) {
    showStatus(PZ2_SAVE_ERROR_MESSAGE, describeSaveFailure(result));
    return;
  }
  // A save that worked must not go on saying that the last one failed; any other text stays.
  if (status_ == PZ2_SAVE_ERROR_MESSAGE) showStatus("", "");
  startFolder_.fileChosen(file);
}

std::string DialogState::proposedSaveName() const { return proposedPz2Name(bvhFileTitle_); }

void DialogState::showGraph() { draw(showGraphPage(panel_, *store_, stillMode_)); }

void DialogState::showInfo() {
  draw(showReportPage(panel_, *store_, bvhFileTitle_, position(Spin::GCoefficient)));
}

void DialogState::showAbout() { draw(showAboutPage()); }

void DialogState::panelClicked() {
  draw(onPanelClick(panel_, *store_, bvhFileTitle_, position(Spin::GCoefficient), stillMode_));
}

void DialogState::selectStillMode() {
  stillMode_ = true;
  markResultsStale();
  panel_.panelMode = PanelMode::Report;
}

void DialogState::selectMovieMode() {
  stillMode_ = false;
  markResultsStale();
  panel_.panelMode = PanelMode::Report;
}

void DialogState::stepSpin(Spin spin, bool up) {
  if (!spinEnabled(spin)) return;
  // G Fusion only shapes the movie-mode blend, so the user may keep the results it was shown with;
  // every other parameter changes the signals themselves.
  if (spin != Spin::GFusion) markResultsStale();
  if (spin == Spin::GCoefficient) panel_.panelMode = PanelMode::Report;

  const ParameterRange& range = PARAMETER_TABLE[static_cast<int>(spin)].range;
  int& value = positions_[static_cast<int>(spin)];
  if (up) {
    value = value >= range.maximum ? range.minimum : value + 1;
  } else {
    value = value <= range.minimum ? range.maximum : value - 1;
  }
}

void DialogState::restoreDefaults() {
  for (int i = 0; i < SPIN_COUNT; ++i) positions_[i] = PARAMETER_TABLE[i].range.defaultValue;
  markResultsStale();
  limitOn_ = true;
  loop_ = false;
}

EffectParameters DialogState::parameters() const {
  EffectParameters parameters{.stillMode = stillMode_, .limitOn = limitOn_, .loop = loop_};
  for (int i = 0; i < SPIN_COUNT; ++i) parameters.*PARAMETER_TABLE[i].field = positions_[i];
  return parameters;
}

bool DialogState::buttonEnabled(PassButton button) const {
  return buttonsEnabled_[static_cast<int>(button)];
}

bool DialogState::spinEnabled(Spin spin) const {
  return !stillMode_ || !PARAMETER_TABLE[static_cast<int>(spin)].movieOnly;
}

PanelOps DialogState::takePanelOps() { return std::exchange(pendingPanelOps_, {}); }

void DialogState::markResultsStale() {
  setButtonEnabled(PassButton::Save, false);
  setButtonEnabled(PassButton::Graph, false);
}

void DialogState::rememberOpenedFile(std::string_view path) {
  bvhFilePath_ = path;
  startFolder_.fileChosen(pathFromUtf8(bvhFilePath_));
  bvhFileTitle_ = bvhFileTitleOf(path);
  buttonsEnabled_.fill(false);
  store_->motion.frameCount = 0;
}

void DialogState::draw(const PanelOps& ops) {
  pendingPanelOps_.insert(pendingPanelOps_.end(), ops.begin(), ops.end());
}

}  // namespace zev
