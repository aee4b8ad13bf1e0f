#include "analysis/effect_dynamics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "analysis/spring_filter.h"
#include "store/motion_store.h"

namespace zev {
namespace {

constexpr double ROUNDING = 1e-15;
constexpr int FRAMES = 40;
// The single-precision constants as they take part, widened.
constexpr double HIP_UP_SCALE = 1.2000000476837158;
constexpr double HAIR_SCALE = 0.15000000596046448;
constexpr double TWIST_WEIGHT = 0.30000001192092896;

constexpr Slot OUTPUTS[] = {
    Slot::chestUp,  Slot::chestSide, Slot::chestFront,  Slot::hipUp,       Slot::headUp,
    Slot::headSide, Slot::headFront, Slot::earringXrot, Slot::earringSway, Slot::earringZrot};

int number(Slot s) { return static_cast<int>(s); }

std::unique_ptr<MotionStore> storeWithFrames(double frameTime = 0.033333) {
  auto store = std::make_unique<MotionStore>();
  store->motion.frameCount = FRAMES;
  store->motion.frameTime = frameTime;
  return store;
}

void applyDynamics(double inertiaRate, double accelRate, double gFusion, MotionStore& store) {
  FilterWorkspace workspace;
  applyEffectDynamics(inertiaRate, accelRate, gFusion, openFrames(store.motion), store.motion,
                      store.signals, workspace);
}

// Pre-dynamics values, twist and hip positions that move from frame to frame; earringXrot is left
// at zero as the pose signals leave it.
std::unique_ptr<MotionStore> movingFigure(double frameTime = 0.033333) {
  auto store = storeWithFrames(frameTime);
  Signals& signals = store->signals;
  Motion& motion = store->motion;
  std::mt19937 random(11);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (int i = 0; i < FRAMES; ++i) {
    for (Slot s : OUTPUTS) {
      if (s != Slot::earringXrot) signals[s][i] = value(random);
    }
    signals[Slot::twistSum][i] = value(random);
    motion.hipXPos[i] = value(random);
    motion.hipYPos[i] = 3.0 * value(random);
    motion.hipZPos[i] = value(random);
  }
  return store;
}

double scaleOf(Slot s) {
  if (s == Slot::chestFront || s == Slot::chestSide) return 1.5;
  if (s == Slot::hipUp) return HIP_UP_SCALE;
  if (s == Slot::headUp || s == Slot::headSide || s == Slot::headFront) return HAIR_SCALE;
  return 1.0;
}

TEST(EffectDynamics, MotionlessFigureKeepsItsFusedPull) {
  const auto store = storeWithFrames();
  Signals& signals = store->signals;
  for (Slot s : OUTPUTS) signals[s].fill(0.4);
  signals[Slot::twistSum].fill(0.25);
  store->motion.hipXPos.fill(5.0);
  store->motion.hipYPos.fill(7.0);
  store->motion.hipZPos.fill(-3.0);
  applyDynamics(10.0, 10.0, 35.0, *store);
  for (int i = 0; i < FRAMES; ++i) {
    EXPECT_NEAR(signals[Slot::chestUp][i], 0.14, ROUNDING);
    EXPECT_NEAR(signals[Slot::chestSide][i], 0.21, ROUNDING);
    EXPECT_NEAR(signals[Slot::chestFront][i], 0.21, ROUNDING);
    EXPECT_NEAR(signals[Slot::hipUp][i], 0.14 * HIP_UP_SCALE, ROUNDING);
    EXPECT_NEAR(signals[Slot::hipUp][i], 0.168, 1e-8);
    for (Slot s : {Slot::headUp, Slot::headSide, Slot::headFront}) {
      EXPECT_NEAR(signals[s][i], 0.14 * HAIR_SCALE, ROUNDING);
      EXPECT_NEAR(signals[s][i], 0.021, 1e-9);
    }
    for (Slot s : {Slot::earringXrot, Slot::earringSway, Slot::earringZrot}) {
      EXPECT_NEAR(signals[s][i], 0.14, ROUNDING);
    }
    EXPECT_NEAR(signals[Slot::hairSwing][i], 0.00525, 1e-9);
    EXPECT_EQ(store->motion.hipXPos[i], 0.0);
  }
}

TEST(EffectDynamics, FrameZeroIsThePreDynamicsValueFused) {
  const auto store = movingFigure();
  const Signals before = store->signals;
  applyDynamics(10.0, 10.0, 35.0, *store);
  for (Slot s : OUTPUTS) {
    EXPECT_NEAR(store->signals[s][0], before[s][0] * 0.35 * scaleOf(s), ROUNDING)
        << "slot " << number(s);
  }
}

TEST(EffectDynamics, HairSwingFollowsHeadSideAndEarringXrotStaysZero) {
  const auto store = movingFigure();
  const Signals& signals = store->signals;
  applyDynamics(20.0, 15.0, 60.0, *store);
  for (int i = 0; i < FRAMES; ++i) {
    EXPECT_EQ(signals[Slot::hairSwing][i], signals[Slot::headSide][i] * 0.25) << i;
    EXPECT_EQ(signals[Slot::earringXrot][i], 0.0) << i;
  }
}

TEST(EffectDynamics, WithoutRatesOnlyTheFusedPullRemains) {
  const auto store = movingFigure();
  const Signals& signals = store->signals;
  const Signals before = signals;
  applyDynamics(0.0, 0.0, 35.0, *store);
  for (int i = 0; i < FRAMES; ++i) {
    for (Slot s : {Slot::chestUpBase, Slot::headSideBase, Slot::earringSwayBase, Slot::hipUpBase,
                   Slot::twistSum}) {
      EXPECT_EQ(signals[s][i], 0.0) << "slot " << number(s);
    }
    EXPECT_EQ(store->motion.hipYPos[i], 0.0);
    for (Slot s : OUTPUTS) {
      EXPECT_NEAR(signals[s][i], before[s][i] * 0.35 * scaleOf(s), ROUNDING)
          << "slot " << number(s);
    }
  }
}

TEST(EffectDynamics, WithoutFusionAndHipMotionEachOutputIsItsOwnResponse) {
  const auto store = movingFigure();
  const Signals& signals = store->signals;
  store->motion.hipXPos.fill(1.0);
  store->motion.hipYPos.fill(2.0);
  store->motion.hipZPos.fill(3.0);
  applyDynamics(10.0, 10.0, 0.0, *store);
  for (int i = 0; i < FRAMES; ++i) {
    EXPECT_EQ(signals[Slot::chestUp][i], signals[Slot::chestUpBase][i]);
    EXPECT_EQ(signals[Slot::chestFront][i], signals[Slot::chestFrontBase][i] * 1.5);
    EXPECT_EQ(signals[Slot::hipUp][i], signals[Slot::hipUpBase][i] * HIP_UP_SCALE);
    EXPECT_EQ(signals[Slot::earringSway][i], signals[Slot::earringSwayBase][i]);
    EXPECT_EQ(signals[Slot::headUp][i], signals[Slot::headUpBase][i] * HAIR_SCALE +
                                            signals[Slot::twistSum][i] * TWIST_WEIGHT);
  }
}

TEST(EffectDynamics, EachArrayGetsItsOwnGainAndStep) {
  constexpr double frameTime = 0.041667;  // 24 fps
  const auto store = movingFigure(frameTime);
  const Signals before = store->signals;
  const FrameArray hipX = store->motion.hipXPos;
  applyDynamics(7.0, 13.0, 35.0, *store);
  const Signals& after = store->signals;
  const FrameArray& hipXAfter = store->motion.hipXPos;

  const double e = (1.0 / (1.0 / frameTime)) * 15.0;
  const double accelGain = (13.0 / frameTime) * 0.06666666666666667;
  const double inertiaGain = (7.0 / frameTime) * 0.06666666666666667;
  struct Call {
    Slot output;
    Slot base;
    double step;
  };
  const Call calls[] = {
      {Slot::chestUp, Slot::chestUpBase, e * 0.800000011920929},
      {Slot::chestSide, Slot::chestSideBase, e * 0.800000011920929},
      {Slot::headFront, Slot::headFrontBase, e * 0.4000000059604645},
      {Slot::earringZrot, Slot::earringZrotBase, e},
      {Slot::hipUp, Slot::hipUpBase, e * 0.8},
      {Slot::twistSum, Slot::twistSum, e * 0.6000000238418579},
  };
  FilterWorkspace workspace;
  for (const Call& call : calls) {
    FrameArray expected = before[call.output];
    springFilter(expected, FRAMES, accelGain, FilterMode::Replace, call.step, workspace);
    for (int i = 0; i < FRAMES; ++i) {
      ASSERT_EQ(after[call.base][i], expected[i]) << "slot " << number(call.base);
    }
  }
  FrameArray expectedHip = hipX;
  springFilter(expectedHip, FRAMES, inertiaGain, FilterMode::Replace, e * 0.4000000059604645,
               workspace);
  for (int i = 0; i < FRAMES; ++i) ASSERT_EQ(hipXAfter[i], expectedHip[i]) << i;
}

}  // namespace
}  // namespace zev
