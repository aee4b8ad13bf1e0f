#include "analysis/analysis_pass.h"

#include "analysis/delay_limit.h"
#include "analysis/effect_dynamics.h"
#include "analysis/pose_signals.h"
#include "store/frame_rate.h"

namespace zev {

namespace {

constexpr double G_COEFFICIENT_UNIT = 0.1;

// The closing frame is the seam's duplicate: it shows what frame 0 shows.
void repeatFirstFrame(int frame, Motion& motion, Signals& signals) {
  for (FrameArray& slot : signals.slots) slot[frame] = slot[0];
  for (FrameArray* hip : {&motion.hipXPos, &motion.hipYPos, &motion.hipZPos}) {
    (*hip)[frame] = (*hip)[0];
  }
}

}  // namespace

MovieFrames analyseMotion(const EffectParameters& parameters, Motion& motion, Signals& signals) {
  extractPoseSignals(motion, static_cast<double>(parameters.gCoefficient) * G_COEFFICIENT_UNIT,
                     signals);
  signals.frameRate = frameRateOf(motion.frameTime);
  MovieFrames frames = openFrames(motion);
  if (!parameters.stillMode) {
    if (parameters.loop) frames = findLoopCycle(motion, signals);
    // The filters' scratch lives only as long as the pass; no step after it reads it.
    FilterWorkspace workspace;
    applyEffectDynamics(
        static_cast<double>(parameters.inertiaRate), static_cast<double>(parameters.accelRate),
        static_cast<double>(parameters.gFusion), frames, motion, signals, workspace);
    applyDelay(parameters.delayTime, motion.frameTime, frames.frameCount, signals,
               workspace.filterSum, frames.loop);
    if (frames.closingFrame) repeatFirstFrame(frames.frameCount, motion, signals);
  }
  signals.loopPass = frames.loop;
  if (parameters.limitOn) {
    for (Slot slot : LIMITED_SLOTS) limitSlot(signals[slot], motion.frameCount);
  }
  return frames;
}

}  // namespace zev
