#include "dialog/analysis_view.h"

#include "analysis/analysis_pass.h"

namespace zev {

namespace {

// How a loop pass took the motion, with the advice where its seam had to be estimated.
FixedText<256> loopDetail(const MovieFrames& frames) {
  FixedText<256> detail(describeLoop(frames).view());
  if (frames.travelEstimated) detail.append("; ").append(ESTIMATED_SEAM_NOTE);
  return detail;
}

void enablePassButtons(AnalysisView& view, bool enabled) {
  for (PassButton button : {PassButton::Save, PassButton::Analyze, PassButton::Graph}) {
    view.setButtonEnabled(button, enabled);
  }
}

}  // namespace

BvhReadResult runAnalysisPass(const EffectParameters& parameters,
                              const std::filesystem::path& bvhFilePath, BvhReader& reader,
                              MotionStore& store, AnalysisView& view) {
  const BvhReadResult result = reader.readFile(bvhFilePath, store.motion);
  if (!result.ok()) {
    view.showStatus(result.message(), describeReadFailure(result).view());
    // A motion of a frame count out of range leaves nothing to save, analyse or draw: the pages
    // and the report then show an empty motion.
    if (result.status == BvhReadStatus::FrameRange) {
      store.motion.frameCount = 0;
      enablePassButtons(view, false);
    }
    return result;
  }
  enablePassButtons(view, true);
  view.showStatus(COMPLETE_MESSAGE, "");
  const MovieFrames frames = analyseMotion(parameters, store.motion, store.signals);
  if (!parameters.stillMode) view.showStatus("", loopDetail(frames).view());
  view.clearPanel();
  return result;
}

}  // namespace zev
