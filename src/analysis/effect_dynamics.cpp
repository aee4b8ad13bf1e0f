#include "analysis/effect_dynamics.h"

#include "store/frame_rate.h"

namespace zev {

namespace {

constexpr double ONE_THIRD = 0.3333333333333333;
constexpr double FUSION_SCALE = 0.01;
constexpr double CHEST_STEP = static_cast<double>(0.8f);
constexpr double HEAD_STEP = static_cast<double>(0.4f);
constexpr double HIP_UP_STEP = 0.8;
constexpr double TWIST_STEP = static_cast<double>(0.6f);
constexpr double HIP_POSITION_STEP = static_cast<double>(0.4f);
constexpr double CHEST_SCALE = 1.5;
constexpr double HIP_UP_SCALE = static_cast<double>(1.2f);
constexpr double HAIR_SCALE = static_cast<double>(0.15f);
constexpr double HAIR_TWIST_WEIGHT = static_cast<double>(0.3f);
constexpr double HAIR_SWING_SHARE = 0.25;

struct SlotPair {
  Slot output;
  Slot base;
};

// In the order the copies are taken.
constexpr SlotPair BASE_PAIRS[] = {
    {Slot::earringZrot, Slot::earringZrotBase},
    {Slot::earringSway, Slot::earringSwayBase},
    {Slot::earringXrot, Slot::earringXrotBase},
    {Slot::headFront, Slot::headFrontBase},
    {Slot::headSide, Slot::headSideBase},
    {Slot::headUp, Slot::headUpBase},
    {Slot::hipUp, Slot::hipUpBase},
    {Slot::chestFront, Slot::chestFrontBase},
    {Slot::chestSide, Slot::chestSideBase},
    {Slot::chestUp, Slot::chestUpBase},
};

// How an output takes the hip response: the chest and hip effects its mean, the earrings its plain
// sum, the hair its sum scaled and joined by the twist.
enum class Form { Mean, Sum, Hair };

struct Update {
  Slot output;
  Slot base;
  Form form;
  double scale;  // mean form only
};

// In the order of the per-frame update; hairSwing follows headSide.
constexpr Update UPDATES[] = {
    {Slot::chestUp, Slot::chestUpBase, Form::Mean, 1.0},
    {Slot::earringXrot, Slot::earringXrotBase, Form::Sum, 1.0},
    {Slot::earringSway, Slot::earringSwayBase, Form::Sum, 1.0},
    {Slot::earringZrot, Slot::earringZrotBase, Form::Sum, 1.0},
    {Slot::headUp, Slot::headUpBase, Form::Hair, 1.0},
    {Slot::headSide, Slot::headSideBase, Form::Hair, 1.0},
    {Slot::headFront, Slot::headFrontBase, Form::Hair, 1.0},
    {Slot::chestFront, Slot::chestFrontBase, Form::Mean, CHEST_SCALE},
    {Slot::chestSide, Slot::chestSideBase, Form::Mean, CHEST_SCALE},
    {Slot::hipUp, Slot::hipUpBase, Form::Mean, HIP_UP_SCALE},
};

}  // namespace

void saveBaseSlots(int frameCount, Signals& signals) {
  for (const SlotPair& pair : BASE_PAIRS) {
    for (int i = 0; i < frameCount; ++i) signals[pair.base][i] = signals[pair.output][i];
  }
}

void applyEffectDynamics(double inertiaRate, double accelRate, double gFusion,
                         const MovieFrames& frames, Motion& motion, Signals& signals,
                         FilterWorkspace& workspace) {
  const int n = frames.frameCount;
  saveBaseSlots(n, signals);

  const double d = motion.frameTime;
  const double e = (1.0 / (1.0 / d)) * REFERENCE_FRAME_RATE;
  const double accelGain = (accelRate / d) * REFERENCE_FRAME_TIME;
  const double inertiaGain = (inertiaRate / d) * REFERENCE_FRAME_TIME;

  // The effect signals come from angles through their sines and cosines and so join up by
  // themselves; the twist and the hip positions move on by their travel per cycle.
  const auto respond = [&](FrameArray& array, double gain, double step, double travel = 0.0) {
    springFilter(array, n, gain, FilterMode::Replace, step, workspace, {frames.loop, travel});
  };
  respond(signals[Slot::chestUpBase], accelGain, e * CHEST_STEP);
  respond(signals[Slot::chestSideBase], accelGain, e * CHEST_STEP);
  respond(signals[Slot::chestFrontBase], accelGain, e * CHEST_STEP);
  respond(signals[Slot::headUpBase], accelGain, e * HEAD_STEP);
  respond(signals[Slot::headSideBase], accelGain, e * HEAD_STEP);
  respond(signals[Slot::headFrontBase], accelGain, e * HEAD_STEP);
  respond(signals[Slot::earringXrotBase], accelGain, e);
  respond(signals[Slot::earringSwayBase], accelGain, e);
  respond(signals[Slot::earringZrotBase], accelGain, e);
  respond(signals[Slot::hipUpBase], accelGain, e * HIP_UP_STEP);
  respond(signals[Slot::twistSum], accelGain, e * TWIST_STEP, frames.twistTravel);
  respond(motion.hipXPos, inertiaGain, e * HIP_POSITION_STEP, frames.hipTravel[0]);
  respond(motion.hipYPos, inertiaGain, e * HIP_POSITION_STEP, frames.hipTravel[1]);
  respond(motion.hipZPos, inertiaGain, e * HIP_POSITION_STEP, frames.hipTravel[2]);

  for (int i = 0; i < n; ++i) {
    const double x = motion.hipXPos[i];
    const double y = motion.hipYPos[i];
    const double z = motion.hipZPos[i];
    const double hipMean = ((y + z) + x) * ONE_THIRD;
    for (const Update& update : UPDATES) {
      double& out = signals[update.output][i];
      const double base = signals[update.base][i];
      const double fusion = ((1.0 - base) * gFusion) * FUSION_SCALE;
      switch (update.form) {
        case Form::Mean:
          out = (base + (fusion + hipMean) * out) * update.scale;
          break;
        case Form::Sum:
          out = base + (((fusion + y) + z) + x) * out;
          break;
        case Form::Hair:
          out = (base + (((fusion + y) + z) + x) * out) * HAIR_SCALE +
                signals[Slot::twistSum][i] * HAIR_TWIST_WEIGHT;
          break;
      }
      if (update.output == Slot::headSide) signals[Slot::hairSwing][i] = out * HAIR_SWING_SHARE;
    }
  }
}

}  // namespace zev
