#include "analysis/spring_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "store/motion_store.h"

namespace zev {
namespace {

constexpr double PRINTED = 5e-7;  // six printed decimals

void filter(FrameArray& signal, int frames, double gain, FilterMode mode, double step,
            FilterWorkspace& scratch) {
  springFilter(signal, frames, gain, mode, step, scratch);
}

FrameArray randomSignal(unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> value(-2.0, 2.0);
  FrameArray signal{};
  for (double& v : signal) v = value(random);
  return signal;
}

// The kernel of one frame as the filter is defined: entry k is ((sin θ × n) × amplitude) × -1/30,
// θ accumulated by adding the step once per entry and n counting down from 30.
SpringKernel kernelOf(double amplitude, double step) {
  SpringKernel kernel;
  double theta = 0.0;
  double weight = KERNEL_LENGTH;
  for (double& entry : kernel) {
    entry = ((std::sin(theta) * weight) * amplitude) * -0.03333333333333333;
    weight -= 1.0;
    theta += step;
  }
  return kernel;
}

// The response with the kernel built afresh for every frame.
FrameArray responseFrameByFrame(const FrameArray& p, int n, double gain, double step) {
  FrameArray sum{};
  for (int i = 0; i + 2 < n; ++i) {
    const SpringKernel kernel =
        kernelOf((((p[i + 2] - p[i + 1]) - (p[i + 1] - p[i])) * gain) * 0.1, step);
    for (int k = 0; k < KERNEL_LENGTH; ++k) sum[i + k] = sum[i + k] + kernel[k];
  }
  return sum;
}

TEST(SpringFilter, NoFramesChangeNothing) {
  for (int frames : {0, -1}) {
    FilterWorkspace scratch;
    scratch.filterDiff.fill(-9.0);
    scratch.filterSum.fill(-9.0);
    FrameArray signal = randomSignal(1);
    const FrameArray before = signal;
    filter(signal, frames, 2.0, FilterMode::Replace, 0.4, scratch);
    EXPECT_EQ(signal, before) << frames;
    for (double v : scratch.filterSum) EXPECT_EQ(v, -9.0) << frames;
    for (double v : scratch.filterDiff) EXPECT_EQ(v, -9.0) << frames;
  }
}

TEST(SpringFilter, SteadySignalsHaveNoResponse) {
  FilterWorkspace scratch;
  FrameArray constant{};
  constant.fill(0.6);
  FrameArray ramp{};
  for (int i = 0; i < FRAME_CAPACITY; ++i) ramp[i] = 0.25 * i;
  const FrameArray rampBefore = ramp;
  filter(constant, 40, 2.0, FilterMode::Replace, 0.4, scratch);
  filter(ramp, 40, 2.0, FilterMode::Add, 0.4, scratch);
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(constant[i], 0.0) << i;
    EXPECT_EQ(ramp[i], rampBefore[i]) << i;
  }
}

TEST(SpringFilter, StepResponseStartsAtTheStep) {
  constexpr int m = 6;
  FilterWorkspace scratch;
  FrameArray signal{};
  for (int i = m + 1; i < FRAME_CAPACITY; ++i) signal[i] = 1.0;
  filter(signal, 20, 2.0, FilterMode::Replace, 0.4, scratch);
  for (int i = 0; i < m; ++i) EXPECT_EQ(signal[i], 0.0) << i;
  EXPECT_NEAR(signal[m], -0.075288, PRINTED);
  EXPECT_NEAR(signal[m + 1], -0.058619, PRINTED);
  EXPECT_NEAR(signal[m], -(29.0 / 300.0) * 2.0 * std::sin(0.4), 1e-15);
}

TEST(SpringFilter, OneKernelPerCallGivesTheFrameByFrameResultBitForBit) {
  for (int n : {3, 17, 123, 500}) {
    FilterWorkspace scratch;
    const FrameArray input = randomSignal(n);
    const FrameArray expected = responseFrameByFrame(input, n, 1.7, 0.37);
    FrameArray replaced = input;
    filter(replaced, n, 1.7, FilterMode::Replace, 0.37, scratch);
    FrameArray added = input;
    filter(added, n, 1.7, FilterMode::Add, 0.37, scratch);
    for (int j = 0; j < n; ++j) {
      ASSERT_EQ(replaced[j], expected[j]) << n << " frames, frame " << j;
      ASSERT_EQ(added[j], expected[j] + input[j]) << n << " frames, frame " << j;
      ASSERT_EQ(scratch.filterSum[j], expected[j]) << n << " frames, frame " << j;
    }
    EXPECT_EQ(replaced[0], 0.0);
  }
}

TEST(SpringFilter, LateAccelerationReachesIndex526AndNeverWraps) {
  FilterWorkspace scratch;
  scratch.filterSum.fill(-9.0);
  FrameArray signal{};
  signal[499] = 1.0;  // accelerates at frame 498: a kernel laid from 497 on
  filter(signal, 500, 2.0, FilterMode::Replace, 0.4, scratch);
  for (int j = 0; j < 498; ++j) EXPECT_EQ(signal[j], 0.0) << j;
  EXPECT_NE(signal[498], 0.0);
  EXPECT_NE(scratch.filterSum[526], -9.0);
  for (int j = 527; j < FRAME_CAPACITY; ++j) EXPECT_EQ(scratch.filterSum[j], -9.0) << j;
}

TEST(SpringFilter, MatchesTheClosedFormResponse) {
  constexpr int n = 80;
  FilterWorkspace scratch;
  const FrameArray p = randomSignal(7);
  FrameArray signal = p;
  filter(signal, n, 3.0, FilterMode::Replace, 0.3, scratch);
  for (int j = 0; j < n; ++j) {
    double response = 0.0;
    for (int i = std::max(0, j - 29); i <= std::min(j, n - 3); ++i) {
      const double second = (p[i + 2] - p[i + 1]) - (p[i + 1] - p[i]);
      response += -(0.1 * 3.0 * second / 30.0) * (30 - (j - i)) * std::sin((j - i) * 0.3);
    }
    EXPECT_NEAR(signal[j], response, 1e-12) << j;
  }
}

// A ring's response is the one an open motion settles into when the cycle plays over and over: its
// cycle after a full kernel, with a cycle after it for the second differences to look ahead to.
// Whatever earlier calls left past the motion's end must not come round into it.
TEST(SpringFilter, RingIsTheSettledResponseOfTheCyclePlayedOverAndOver) {
  struct Case {
    int period;
    double travel;  // per cycle
  };
  for (const Case c : {Case{40, 0.0}, Case{40, 2.5}, Case{15, -1.25}, Case{7, 0.5}, Case{1, 1.0}}) {
    const FrameArray cycle = randomSignal(static_cast<unsigned>(c.period));
    const int first = (KERNEL_LENGTH + c.period - 1) / c.period;
    const int frames = (first + 2) * c.period;
    FrameArray played{};
    for (int f = 0; f < frames; ++f) played[f] = cycle[f % c.period] + (f / c.period) * c.travel;
    FilterWorkspace scratch;
    filter(played, frames, 1.7, FilterMode::Replace, 0.37, scratch);

    for (const FilterMode mode : {FilterMode::Replace, FilterMode::Add}) {
      scratch.filterSum.fill(-9.0);
      FrameArray ring = cycle;
      springFilter(ring, c.period, 1.7, mode, 0.37, scratch, {.ring = true, .travel = c.travel});
      for (int f = 0; f < c.period; ++f) {
        const double added = mode == FilterMode::Add ? cycle[f] : 0.0;
        ASSERT_NEAR(ring[f], played[first * c.period + f] + added, 1e-12)
            << c.period << " frames, frame " << f;
      }
    }
  }
}

}  // namespace
}  // namespace zev
