#include "analysis/analysis_pass.h"

#include "analysis/delay_limit.h"
#include "analysis/effect_dynamics.h"
#include "analysis/pose_signals.h"
#include "store/frame_rate.h"

namespace zev {

namespace {
constexpr double G_COEFFICIENT_UNIT = 0.1;
}  // namespace

void analyseMotion(const EffectParameters& parameters, Motion& motion, Signals& signals) {
  extractPoseSignals(motion, static_cast<double>(parameters.gCoefficient) * G_COEFFICIENT_UNIT,
                     signals);
  signals.frameRate = frameRateOf(motion.frameTime);
  if (!parameters.stillMode) {
    // The filters' scratch lives only as long as the pass; no step after it reads it.
    FilterWorkspace workspace;
    applyEffectDynamics(static_cast<double>(parameters.inertiaRate),
                        static_cast<double>(parameters.accelRate),
                        static_cast<double>(parameters.gFusion), motion, signals, workspace);
    applyDelay(parameters.delayTime, motion.frameTime, motion.frameCount, signals,
               workspace.filterSum);
  }
  if (parameters.limitOn) {
    for (Slot slot : LIMITED_SLOTS) limitSlot(signals[slot], motion.frameCount);
  }
}

}  // namespace zev
