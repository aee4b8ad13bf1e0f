#include "ui/dialog_state.h"

#include <utility>

#include "pz2/pz2_save.h"
#include "store/motion_store.h"
#include "ui/graph_view.h"
#include "ui/report_pages.h"

namespace zev {

DialogState::DialogState() { restoreDefaults(); }

void DialogState::showStatus(std::string_view text) { status_ = text; }

void DialogState::setButtonEnabled(PassButton button, bool enabled) {
  buttonsEnabled_[static_cast<int>(button)] = enabled;
}

void DialogState::clearPanel() { draw(::zev::clearPanel()); }

void DialogState::openFile(std::string_view path) {
  bvhFilePath_ = path;
  bvhFileTitle_ = bvhFileTitleOf(path);
  buttonsEnabled_.fill(false);
  motionStore().frameCount = 0;
  analyze();
}

void DialogState::analyze() { AnalysisPass(parameters(), bvhFilePath_.c_str(), *this); }

void DialogState::saveTo(const std::string& path) {
  if (!savePz2File(path)) showStatus(PZ2_SAVE_ERROR_MESSAGE);
}

std::string DialogState::proposedSaveName() const { return proposedPz2Name(bvhFileTitle_); }

void DialogState::showGraph() { draw(showGraphPage(stillMode_)); }

void DialogState::showInfo() { draw(showReportPage(bvhFileTitle_, position(Spin::GCoefficient))); }

void DialogState::showAbout() { draw(showAboutPage()); }

void DialogState::panelClicked() {
  draw(onPanelClick(bvhFileTitle_, position(Spin::GCoefficient), stillMode_));
}

void DialogState::selectStillMode() {
  stillMode_ = true;
  markResultsStale();
  motionStore().panelMode = 1;
}

void DialogState::selectMovieMode() {
  stillMode_ = false;
  markResultsStale();
  motionStore().panelMode = 1;
}

void DialogState::stepSpin(Spin spin, bool up) {
  if (!spinEnabled(spin)) return;
  // G Fusion only shapes the movie-mode blend, so the user may keep the results it was shown with;
  // every other parameter changes the signals themselves.
  if (spin != Spin::GFusion) markResultsStale();
  if (spin == Spin::GCoefficient) motionStore().panelMode = 1;

  const SpinRange& range = SPIN_RANGES[static_cast<int>(spin)];
  int& value = positions_[static_cast<int>(spin)];
  if (up) {
    value = value >= range.upper ? range.lower : value + 1;
  } else {
    value = value <= range.lower ? range.upper : value - 1;
  }
}

void DialogState::restoreDefaults() {
  for (int i = 0; i < SPIN_COUNT; ++i) positions_[i] = SPIN_RANGES[i].initial;
  markResultsStale();
  limitOn_ = true;
}

EffectParameters DialogState::parameters() const {
  return EffectParameters{.gCoefficient = position(Spin::GCoefficient),
                          .delayTime = position(Spin::DelayTime),
                          .inertiaRate = position(Spin::InertiaRate),
                          .accelRate = position(Spin::AccelRate),
                          .gFusion = position(Spin::GFusion),
                          .stillMode = stillMode_,
                          .limitOn = limitOn_};
}

bool DialogState::buttonEnabled(PassButton button) const {
  return buttonsEnabled_[static_cast<int>(button)];
}

bool DialogState::spinEnabled(Spin spin) const { return spin == Spin::GCoefficient || !stillMode_; }

PanelOps DialogState::takePanelOps() { return std::exchange(pendingPanelOps_, {}); }

void DialogState::markResultsStale() {
  setButtonEnabled(PassButton::Save, false);
  setButtonEnabled(PassButton::Graph, false);
}

void DialogState::draw(const PanelOps& ops) {
  pendingPanelOps_.insert(pendingPanelOps_.end(), ops.begin(), ops.end());
}

}  // namespace zev
