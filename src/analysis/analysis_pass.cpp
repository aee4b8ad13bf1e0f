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
    applyEffectDynamics(static_cast<double>(parameters.inertiaRate),
                        static_cast<double>(parameters.accelRate),
                        static_cast<double>(parameters.gFusion), motion, signals);
    applyDelay(parameters.delayTime, motion.frameTime, motion.frameCount, signals);
  }
  if (parameters.limitOn) {
    for (Slot slot : LIMITED_SLOTS) limitSlot(signals[slot], motion.frameCount);
  }
}

}  // namespace zev
