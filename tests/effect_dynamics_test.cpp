#include "analysis/effect_dynamics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/spring_filter.h"
#include "store/motion_store.h"
#include "support/test_support.h"

namespace zev {
namespace {

constexpr double ROUNDING = 1e-15;
constexpr int FRAMES = 40;
// The single-precision constants as they take part, widened.
constexpr double HIP_UP_SCALE = 1.2000000476837158;
constexpr double HAIR_SCALE = 0.15000000596046448;
constexpr double TWIST_WEIGHT = 0.30000001192092896;

constexpr SlotNumber OUTPUTS[] = {chestUp,  chestSide, chestFront,  hipUp,       headUp,
                                  headSide, headFront, earringXrot, earringSway, earringZrot};

MotionStore& storeWithFrames(double frameTime = 0.033333) {
  test::resetMotionStore();
  MotionStore& store = motionStore();
  store.frameCount = FRAMES;
  store.frameTime = frameTime;
  return store;
}

// Pre-dynamics values, twist and hip positions that move from frame to frame; earringXrot is left
// at zero as the pose signals leave it.
MotionStore& movingFigure(double frameTime = 0.033333) {
  MotionStore& store = storeWithFrames(frameTime);
  std::mt19937 random(11);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (int i = 0; i < FRAMES; ++i) {
    for (SlotNumber s : OUTPUTS) {
      if (s != earringXrot) store.slots[s][i] = value(random);
    }
    store.slots[twistSum][i] = value(random);
    store.hipXPos[i] = value(random);
    store.hipYPos[i] = 3.0 * value(random);
    store.hipZPos[i] = value(random);
  }
  return store;
}

double scaleOf(SlotNumber s) {
  if (s == chestFront || s == chestSide) return 1.5;
  if (s == hipUp) return HIP_UP_SCALE;
  if (s == headUp || s == headSide || s == headFront) return HAIR_SCALE;
  return 1.0;
}

TEST(EffectDynamics, MotionlessFigureKeepsItsFusedPull) {
  MotionStore& store = storeWithFrames();
  for (SlotNumber s : OUTPUTS) store.slots[s].fill(0.4);
  store.slots[twistSum].fill(0.25);
  store.hipXPos.fill(5.0);
  store.hipYPos.fill(7.0);
  store.hipZPos.fill(-3.0);
  applyEffectDynamics(10.0, 10.0, 35.0);
  for (int i = 0; i < FRAMES; ++i) {
    EXPECT_NEAR(store.slots[chestUp][i], 0.14, ROUNDING);
    EXPECT_NEAR(store.slots[chestSide][i], 0.21, ROUNDING);
    EXPECT_NEAR(store.slots[chestFront][i], 0.21, ROUNDING);
    EXPECT_NEAR(store.slots[hipUp][i], 0.14 * HIP_UP_SCALE, ROUNDING);
    EXPECT_NEAR(store.slots[hipUp][i], 0.168, 1e-8);
    for (SlotNumber s : {headUp, headSide, headFront}) {
      EXPECT_NEAR(store.slots[s][i], 0.14 * HAIR_SCALE, ROUNDING);
      EXPECT_NEAR(store.slots[s][i], 0.021, 1e-9);
    }
    for (SlotNumber s : {earringXrot, earringSway, earringZrot}) {
      EXPECT_NEAR(store.slots[s][i], 0.14, ROUNDING);
    }
    EXPECT_NEAR(store.slots[hairSwing][i], 0.00525, 1e-9);
    EXPECT_EQ(store.hipXPos[i], 0.0);
  }
}

TEST(EffectDynamics, FrameZeroIsThePreDynamicsValueFused) {
  MotionStore& store = movingFigure();
  double before[SIGNAL_SLOT_COUNT];
  for (SlotNumber s : OUTPUTS) before[s] = store.slots[s][0];
  applyEffectDynamics(10.0, 10.0, 35.0);
  for (SlotNumber s : OUTPUTS) {
    EXPECT_NEAR(store.slots[s][0], before[s] * 0.35 * scaleOf(s), ROUNDING) << "slot " << s;
  }
}

TEST(EffectDynamics, HairSwingFollowsHeadSideAndEarringXrotStaysZero) {
  MotionStore& store = movingFigure();
  applyEffectDynamics(20.0, 15.0, 60.0);
  for (int i = 0; i < FRAMES; ++i) {
    EXPECT_EQ(store.slots[hairSwing][i], store.slots[headSide][i] * 0.25) << i;
    EXPECT_EQ(store.slots[earringXrot][i], 0.0) << i;
  }
}

TEST(EffectDynamics, WithoutRatesOnlyTheFusedPullRemains) {
  MotionStore& store = movingFigure();
  FrameArray before[SIGNAL_SLOT_COUNT];
  for (SlotNumber s : OUTPUTS) before[s] = store.slots[s];
  applyEffectDynamics(0.0, 0.0, 35.0);
  for (int i = 0; i < FRAMES; ++i) {
    for (SlotNumber s : {chestUpBase, headSideBase, earringSwayBase, hipUpBase, twistSum}) {
      EXPECT_EQ(store.slots[s][i], 0.0) << "slot " << s;
    }
    EXPECT_EQ(store.hipYPos[i], 0.0);
    for (SlotNumber s : OUTPUTS) {
      EXPECT_NEAR(store.slots[s][i], before[s][i] * 0.35 * scaleOf(s), ROUNDING) << "slot " << s;
    }
  }
}

TEST(EffectDynamics, WithoutFusionAndHipMotionEachOutputIsItsOwnResponse) {
  MotionStore& store = movingFigure();
  store.hipXPos.fill(1.0);
  store.hipYPos.fill(2.0);
  store.hipZPos.fill(3.0);
  applyEffectDynamics(10.0, 10.0, 0.0);
  for (int i = 0; i < FRAMES; ++i) {
    EXPECT_EQ(store.slots[chestUp][i], store.slots[chestUpBase][i]);
    EXPECT_EQ(store.slots[chestFront][i], store.slots[chestFrontBase][i] * 1.5);
    EXPECT_EQ(store.slots[hipUp][i], store.slots[hipUpBase][i] * HIP_UP_SCALE);
    EXPECT_EQ(store.slots[earringSway][i], store.slots[earringSwayBase][i]);
    EXPECT_EQ(store.slots[headUp][i],
              store.slots[headUpBase][i] * HAIR_SCALE + store.slots[twistSum][i] * TWIST_WEIGHT);
  }
}

TEST(EffectDynamics, EachArrayGetsItsOwnGainAndStep) {
  constexpr double frameTime = 0.041667;  // 24 fps
  MotionStore& store = movingFigure(frameTime);
  FrameArray before[SIGNAL_SLOT_COUNT];
  for (SlotNumber s : OUTPUTS) before[s] = store.slots[s];
  before[twistSum] = store.slots[twistSum];
  const FrameArray hipX = store.hipXPos;
  applyEffectDynamics(7.0, 13.0, 35.0);
  FrameArray after[SIGNAL_SLOT_COUNT];
  for (int s = 0; s < SIGNAL_SLOT_COUNT; ++s) after[s] = store.slots[s];
  const FrameArray hipXAfter = store.hipXPos;

  const double e = (1.0 / (1.0 / frameTime)) * 15.0;
  const double accelGain = (13.0 / frameTime) * 0.06666666666666667;
  const double inertiaGain = (7.0 / frameTime) * 0.06666666666666667;
  struct Call {
    SlotNumber output;
    SlotNumber base;
    double step;
  };
  const Call calls[] = {
      {chestUp, chestUpBase, e * 0.800000011920929},
      {chestSide, chestSideBase, e * 0.800000011920929},
      {headFront, headFrontBase, e * 0.4000000059604645},
      {earringZrot, earringZrotBase, e},
      {hipUp, hipUpBase, e * 0.8},
      {twistSum, twistSum, e * 0.6000000238418579},
  };
  for (const Call& call : calls) {
    FrameArray expected = before[call.output];
    springFilter(expected, accelGain, FilterMode::Replace, call.step);
    for (int i = 0; i < FRAMES; ++i) ASSERT_EQ(after[call.base][i], expected[i]) << call.base;
  }
  FrameArray expectedHip = hipX;
  springFilter(expectedHip, inertiaGain, FilterMode::Replace, e * 0.4000000059604645);
  for (int i = 0; i < FRAMES; ++i) ASSERT_EQ(hipXAfter[i], expectedHip[i]) << i;
}

}  // namespace
}  // namespace zev
