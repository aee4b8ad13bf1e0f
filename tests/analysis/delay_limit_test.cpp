#include "analysis/delay_limit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "store/motion_store.h"

namespace zev {
namespace {

FrameArray ramp() {
  FrameArray values{};
  for (int i = 0; i < FRAME_CAPACITY; ++i) values[i] = i;
  return values;
}

// How far a ramp in the slot was moved: frame N - 1 now holds frame N - 1 - shift.
int shiftOf(const FrameArray& slot, int frames) {
  return frames - 1 - static_cast<int>(slot[frames - 1]);
}

TEST(DelayLimit, ShiftRepeatsFrameZeroAndDropsTheLastFrames) {
  FrameArray scratch{};
  FrameArray signal = ramp();
  delaySlot(3, signal, 15, scratch);
  const double expected[15] = {0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  for (int i = 0; i < 15; ++i) EXPECT_EQ(signal[i], expected[i]) << i;
  EXPECT_EQ(signal[15], 15.0);
}

TEST(DelayLimit, ShiftOfZeroOrLessChangesNothingAndLongShiftFillsWithFrameZero) {
  FrameArray scratch{};
  FrameArray values = ramp();
  values[0] = 4.5;
  const FrameArray before = values;
  delaySlot(0, values, 15, scratch);
  EXPECT_EQ(values, before);
  delaySlot(-3, values, 15, scratch);
  EXPECT_EQ(values, before);
  delaySlot(40, values, 15, scratch);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(values[i], 4.5) << i;
  EXPECT_EQ(values[15], 15.0);
}

// In a loop the last frames come round to the start, as often as the shift goes round the cycle.
TEST(DelayLimit, RingShiftBringsTheLastFramesToTheStart) {
  struct Case {
    int frames;
    int firstValue;  // of frame 0 after the shift of a ramp over 15 frames
  };
  for (const Case c : {Case{3, 12}, Case{40, 5}, Case{0, 0}, Case{15, 0}, Case{-3, 0}}) {
    FrameArray scratch{};
    FrameArray signal = ramp();
    delaySlot(c.frames, signal, 15, scratch, true);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(signal[i], (c.firstValue + i) % 15) << c.frames;
    EXPECT_EQ(signal[15], 15.0);
  }
}

TEST(DelayLimit, DelayUnitIsAboutAFifteenthOfASecond) {
  struct Row {
    double frameTime;
    int delayTime;
    int chestShift;
    int hairShift;
  };
  const Row rows[] = {
      {0.083333, 10, 0, 0},  // 12 fps: no slot moves
      {0.041667, 5, 5, 2},   // 24 fps: one frame per unit
      {0.033333, 5, 10, 5},  // 30 fps: two frames per unit
      {0.033333, 1, 2, 1},   {0.033333, 0, 0, 0},
      {0.016667, 5, 20, 10},  // 60 fps: four frames per unit
  };
  constexpr int FRAMES = 60;
  for (const Row& row : rows) {
    const auto owned = std::make_unique<Signals>();
    Signals& signals = *owned;
    for (Slot s :
         {Slot::chestUp, Slot::chestSide, Slot::chestFront, Slot::hairSwing, Slot::headSide}) {
      signals[s] = ramp();
    }
    FrameArray scratch{};
    applyDelay(row.delayTime, row.frameTime, FRAMES, signals, scratch);
    for (Slot s : {Slot::chestUp, Slot::chestSide, Slot::chestFront}) {
      EXPECT_EQ(shiftOf(signals[s], FRAMES), row.chestShift) << row.frameTime;
    }
    EXPECT_EQ(shiftOf(signals[Slot::hairSwing], FRAMES), row.hairShift) << row.frameTime;
    EXPECT_EQ(shiftOf(signals[Slot::headSide], FRAMES), 0);
  }
}

TEST(DelayLimit, DelayBeforeAnyMotionChangesNothing) {
  // As at start: no frames and a frame time of 0, so the frame rate is infinite.
  const auto owned = std::make_unique<Signals>();
  Signals& signals = *owned;
  signals[Slot::chestUp] = ramp();
  FrameArray scratch = ramp();
  applyDelay(10, 0.0, 0, signals, scratch);
  EXPECT_EQ(signals[Slot::chestUp], ramp());
  EXPECT_EQ(scratch, ramp());
}

TEST(DelayLimit, LimitClampsToPlusMinusOneAndNaNToMinusOne) {
  const double inf = std::numeric_limits<double>::infinity();
  FrameArray values{1.5, -2.0, 1.0, -1.0, 0.3, std::numeric_limits<double>::quiet_NaN(), inf, -inf};
  values[8] = 5.0;
  limitSlot(values, 8);
  const double expected[] = {1.0, -1.0, 1.0, -1.0, 0.3, -1.0, 1.0, -1.0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(values[i], expected[i]) << i;
  EXPECT_EQ(values[8], 5.0);
}

}  // namespace
}  // namespace zev
