#include "analysis/analysis_pass.h"

#include "analysis/delay_limit.h"
#include "analysis/effect_dynamics.h"
#include "analysis/pose_signals.h"
#include "store/motion_store.h"

namespace zev {

namespace {

constexpr double G_COEFFICIENT_UNIT = 0.1;

constexpr PassButton PASS_BUTTONS[] = {PassButton::Save, PassButton::Analyze, PassButton::Graph};

// The signals that drive the breast and hair morphs; the others are never clamped.
constexpr SlotNumber LIMITED_SLOTS[] = {chestUp, chestSide, chestFront,
                                        headUp,  headSide,  headFront};

void enablePassButtons(AnalysisView& view, bool enabled) {
  for (PassButton button : PASS_BUTTONS) view.setButtonEnabled(button, enabled);
}

}  // namespace

void analyseAfterRead(BvhReadStatus status, const EffectParameters& parameters,
                      AnalysisView& view) {
  if (status != BvhReadStatus::Ok) {
    view.showStatus(bvhReadMessage(status));
    // The reader has set frameCount to 0, so nothing is left to save, analyse or draw.
    if (status == BvhReadStatus::FrameRange) enablePassButtons(view, false);
    return;
  }
  enablePassButtons(view, true);

  MotionStore& store = motionStore();
  extractPoseSignals(static_cast<double>(parameters.gCoefficient) * G_COEFFICIENT_UNIT);
  store.frameRate = static_cast<int>(1.0 / store.frameTime + 0.5);
  view.showStatus(COMPLETE_MESSAGE);

  if (!parameters.stillMode) {
    applyEffectDynamics(static_cast<double>(parameters.inertiaRate),
                        static_cast<double>(parameters.accelRate),
                        static_cast<double>(parameters.gFusion));
    applyDelay(parameters.delayTime);
    view.showStatus("");
  }

  if (parameters.limitOn) {
    for (SlotNumber slot : LIMITED_SLOTS) limitSlot(store.slots[slot]);
  }
  view.clearPanel();
}

BvhReadStatus AnalysisPass(const EffectParameters& parameters, const char* bvhFilePath,
                           AnalysisView& view) {
  const BvhReadStatus status = readBvhFile(bvhFilePath);
  analyseAfterRead(status, parameters, view);
  return status;
}

}  // namespace zev
