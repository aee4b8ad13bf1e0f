#include "analysis/spring_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "store/motion_store.h"
#include "support/test_support.h"

namespace zev {
namespace {

constexpr double ROUNDING = 1e-15;
constexpr double PRINTED = 5e-7;  // six printed decimals

MotionStore& storeWithFrames(int frames) {
  test::resetMotionStore();
  MotionStore& store = motionStore();
  store.frameCount = frames;
  return store;
}

FrameArray randomSignal(unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> value(-2.0, 2.0);
  FrameArray signal{};
  for (double& v : signal) v = value(random);
  return signal;
}

// The response with the kernel built afresh for every frame, as the filter is defined.
FrameArray responseFrameByFrame(const FrameArray& p, int n, double gain, double step) {
  FrameArray sum{};
  for (int i = 0; i + 2 < n; ++i) {
    buildSpringKernel((((p[i + 2] - p[i + 1]) - (p[i + 1] - p[i])) * gain) * 0.1, step);
    for (int k = 0; k < KERNEL_LENGTH; ++k) sum[i + k] = sum[i + k] + springKernel()[k];
  }
  return sum;
}

TEST(SpringFilter, NoFramesChangeNothing) {
  MotionStore& store = storeWithFrames(0);
  FrameArray signal = randomSignal(1);
  const FrameArray before = signal;
  springFilter(signal, 2.0, FilterMode::Replace, 0.4);
  EXPECT_EQ(signal, before);
  for (double v : store.slots[filterSum]) EXPECT_EQ(v, 0.0);
}

TEST(SpringFilter, SteadySignalsHaveNoResponse) {
  storeWithFrames(40);
  FrameArray constant{};
  constant.fill(0.6);
  FrameArray ramp{};
  for (int i = 0; i < FRAME_CAPACITY; ++i) ramp[i] = 0.25 * i;
  const FrameArray rampBefore = ramp;
  springFilter(constant, 2.0, FilterMode::Replace, 0.4);
  springFilter(ramp, 2.0, FilterMode::Add, 0.4);
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(constant[i], 0.0) << i;
    EXPECT_EQ(ramp[i], rampBefore[i]) << i;
  }
}

TEST(SpringFilter, StepResponseStartsAtTheStep) {
  constexpr int m = 6;
  storeWithFrames(20);
  FrameArray signal{};
  for (int i = m + 1; i < FRAME_CAPACITY; ++i) signal[i] = 1.0;
  springFilter(signal, 2.0, FilterMode::Replace, 0.4);
  for (int i = 0; i < m; ++i) EXPECT_EQ(signal[i], 0.0) << i;
  EXPECT_NEAR(signal[m], -0.075288, PRINTED);
  EXPECT_NEAR(signal[m + 1], -0.058619, PRINTED);
  EXPECT_NEAR(signal[m], -(29.0 / 300.0) * 2.0 * std::sin(0.4), 1e-15);
}

TEST(SpringFilter, OneKernelPerCallGivesTheFrameByFrameResultBitForBit) {
  for (int n : {3, 17, 123, 500}) {
    MotionStore& store = storeWithFrames(n);
    const FrameArray input = randomSignal(n);
    const FrameArray expected = responseFrameByFrame(input, n, 1.7, 0.37);
    FrameArray replaced = input;
    springFilter(replaced, 1.7, FilterMode::Replace, 0.37);
    FrameArray added = input;
    springFilter(added, 1.7, FilterMode::Add, 0.37);
    for (int j = 0; j < n; ++j) {
      ASSERT_EQ(replaced[j], expected[j]) << n << " frames, frame " << j;
      ASSERT_EQ(added[j], expected[j] + input[j]) << n << " frames, frame " << j;
      ASSERT_EQ(store.slots[filterSum][j], expected[j]);
    }
    EXPECT_EQ(replaced[0], 0.0);
  }
}

TEST(SpringFilter, LateAccelerationReachesIndex526AndNeverWraps) {
  MotionStore& store = storeWithFrames(500);
  store.slots[filterSum].fill(-9.0);
  FrameArray signal{};
  signal[499] = 1.0;  // accelerates at frame 498: a kernel laid from 497 on
  springFilter(signal, 2.0, FilterMode::Replace, 0.4);
  for (int j = 0; j < 498; ++j) EXPECT_EQ(signal[j], 0.0) << j;
  EXPECT_NE(signal[498], 0.0);
  EXPECT_NE(store.slots[filterSum][526], -9.0);
  for (int j = 527; j < FRAME_CAPACITY; ++j) EXPECT_EQ(store.slots[filterSum][j], -9.0) << j;
}

TEST(SpringFilter, MatchesTheClosedFormResponse) {
  constexpr int n = 80;
  storeWithFrames(n);
  const FrameArray p = randomSignal(7);
  FrameArray signal = p;
  springFilter(signal, 3.0, FilterMode::Replace, 0.3);
  for (int j = 0; j < n; ++j) {
    double response = 0.0;
    for (int i = std::max(0, j - 29); i <= std::min(j, n - 3); ++i) {
      const double second = (p[i + 2] - p[i + 1]) - (p[i + 1] - p[i]);
      response += -(0.1 * 3.0 * second / 30.0) * (30 - (j - i)) * std::sin((j - i) * 0.3);
    }
    EXPECT_NEAR(signal[j], response, 1e-12) << j;
  }
}

}  // namespace
}  // namespace zev
