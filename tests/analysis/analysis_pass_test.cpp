#include "analysis/analysis_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <utility>

#include "analysis/delay_limit.h"
#include "analysis/spring_filter.h"
#include "bvh/bvh_reader.h"
#include "store/motion_store.h"
#include "support/test_motion.h"

namespace zev {
namespace {

constexpr int FRAMES = 30;

int slotNumber(Slot slot) { return static_cast<int>(slot); }

double largestMagnitude(const FrameArray& signal) {
  double largest = 0.0;
  for (int f = 0; f < FRAMES; ++f) largest = std::max(largest, std::abs(signal[f]));
  return largest;
}

EffectParameters movieParameters() {
  EffectParameters parameters;
  parameters.stillMode = false;
  parameters.gCoefficient = 20;
  return parameters;
}

// Each analysis follows a fresh read of the text, as the dialog's pass does: a movie-mode analysis
// changes the motion it analyses.
class AnalysisPassTest : public ::testing::Test {
 protected:
  MovieFrames analyse(const EffectParameters& parameters, const std::string& bvhText) {
    const BvhReadResult read = reader.readBytes(bvhText, store->motion);
    EXPECT_TRUE(read.ok()) << describeReadFailure(read).view();
    return analyseMotion(parameters, store->motion, store->signals);
  }

  BvhReader reader;
  std::unique_ptr<MotionStore> store = std::make_unique<MotionStore>();
  Signals& signals = store->signals;
};

TEST_F(AnalysisPassTest, StillPassLimitsTheChestAndHeadOnly) {
  // An upright figure: every up component equals G = 2.0.
  EffectParameters parameters;
  parameters.gCoefficient = 20;
  analyse(parameters, test::TestMotion(FRAMES).text());
  EXPECT_EQ(signals.frameRate, 30);
  for (int f = 0; f < FRAMES; ++f) {
    EXPECT_EQ(signals[Slot::chestUp][f], 1.0);
    EXPECT_EQ(signals[Slot::headUp][f], 1.0);
    EXPECT_EQ(signals[Slot::hipUp][f], 2.0);
    EXPECT_EQ(signals[Slot::hairSwing][f], 0.0);
    EXPECT_EQ(signals[Slot::earringXrot][f], 0.0);
  }

  parameters.limitOn = false;
  analyse(parameters, test::TestMotion(FRAMES).text());
  EXPECT_EQ(signals[Slot::chestUp][0], 2.0);
  EXPECT_EQ(signals[Slot::headUp][0], 2.0);
  // G is the setting in tenths, as 3 * 0.1 in doubles.
  parameters.gCoefficient = 3;
  analyse(parameters, test::TestMotion(FRAMES).text());
  EXPECT_EQ(signals[Slot::chestUp][0], 0.30000000000000004);
}

// With the limit on, the six chest and head signals are clamped to [-1, 1] and every other slot is
// as without it, also those that go beyond 1.
TEST_F(AnalysisPassTest, TheLimitClampsTheSixChestAndHeadSignalsOnly) {
  test::TestMotion motion = test::movingMotion(FRAMES);
  for (int f = 0; f < FRAMES; ++f) {
    motion.setRotation(f, Track::neck, 3, f * 5.0);  // a twist of up to 145 degrees
    motion.setRotation(f, Track::lThigh, 1, f * 5.0);
    motion.setRotation(f, Track::rThigh, 1, 150.0 - f * 8.0);
  }
  const Slot beyondOne[] = {Slot::twistSum,    Slot::lThighBend,  Slot::rThighBend,
                            Slot::earringZrot, Slot::earringSway, Slot::hipUp};
  std::array<double, SIGNAL_SLOT_COUNT> largest{};  // over both modes, without the limit
  for (const bool stillMode : {true, false}) {
    SCOPED_TRACE(stillMode ? "still" : "movie");
    EffectParameters parameters = movieParameters();
    parameters.stillMode = stillMode;
    parameters.limitOn = false;
    analyse(parameters, motion.text());
    const auto unlimited = signals.slots;
    parameters.limitOn = true;
    analyse(parameters, motion.text());

    for (int s = 0; s < SIGNAL_SLOT_COUNT; ++s) {
      const bool limited = std::find(LIMITED_SLOTS.begin(), LIMITED_SLOTS.end(),
                                     static_cast<Slot>(s)) != LIMITED_SLOTS.end();
      for (int f = 0; f < FRAMES; ++f) {
        const double before = unlimited[s][f];
        const double expected = limited ? std::clamp(before, -1.0, 1.0) : before;
        EXPECT_EQ(signals.slots[s][f], expected) << "slot " << s << " frame " << f;
      }
      largest[s] = std::max(largest[s], largestMagnitude(unlimited[s]));
    }
  }
  // The motion goes beyond 1 in each of the six and in slots outside them, so a limit that
  // missed one or clamped one too many would show.
  for (Slot s : LIMITED_SLOTS) EXPECT_GT(largest[slotNumber(s)], 1.0) << "slot " << slotNumber(s);
  for (Slot s : beyondOne) EXPECT_GT(largest[slotNumber(s)], 1.0) << "slot " << slotNumber(s);
}

TEST_F(AnalysisPassTest, FrameRateIsRoundedFromTheFrameTime) {
  const std::pair<const char*, int> rates[] = {
      {"0.0416666666666667", 24}, {"0.033333", 30}, {"0.04", 25}, {"0.0833333", 12}};
  for (const auto& [frameTime, rate] : rates) {
    analyse(EffectParameters{}, test::TestMotion(FRAMES, frameTime).text());
    EXPECT_EQ(signals.frameRate, rate) << frameTime;
  }
}

TEST_F(AnalysisPassTest, MoviePassLimitsItsSignalsAndMovesTheHair) {
  analyse(movieParameters(), test::movingMotion(FRAMES).text());
  bool hairMoves = false;
  for (int f = 0; f < FRAMES; ++f) {
    for (Slot s : LIMITED_SLOTS) {
      EXPECT_GE(signals[s][f], -1.0) << "slot " << slotNumber(s);
      EXPECT_LE(signals[s][f], 1.0) << "slot " << slotNumber(s);
    }
    EXPECT_EQ(signals[Slot::earringXrot][f], 0.0);
    hairMoves = hairMoves || signals[Slot::hairSwing][f] != signals[Slot::hairSwing][0];
  }
  EXPECT_TRUE(hairMoves);
}

TEST_F(AnalysisPassTest, StillPassIgnoresTheDynamicsSettings) {
  EffectParameters first;
  first.gCoefficient = 7;
  analyse(first, test::movingMotion(FRAMES).text());
  const auto slots = signals.slots;
  EffectParameters second = first;
  second.delayTime = 10;
  second.inertiaRate = 40;
  second.accelRate = 0;
  second.gFusion = 99;
  analyse(second, test::movingMotion(FRAMES).text());
  EXPECT_TRUE(signals.slots == slots);
}

// The slots only a movie-mode pass writes keep, in the same store, what the last one left.
TEST_F(AnalysisPassTest, StillPassAfterMoviePassKeepsTheMovieHairSwing) {
  const EffectParameters still;
  analyse(still, test::movingMotion(FRAMES).text());
  const auto stillSlots = signals.slots;

  analyse(movieParameters(), test::movingMotion(FRAMES).text());
  const FrameArray movieHair = signals[Slot::hairSwing];
  analyse(still, test::movingMotion(FRAMES).text());
  EXPECT_TRUE(signals[Slot::hairSwing] == movieHair);
  bool hairMoves = false;
  for (int f = 0; f < FRAMES; ++f) hairMoves = hairMoves || movieHair[f] != movieHair[0];
  EXPECT_TRUE(hairMoves);
  for (Slot s : {Slot::twistSum, Slot::lThighBend, Slot::rThighBend, Slot::earringZrot,
                 Slot::earringSway, Slot::headFront, Slot::headSide, Slot::headUp, Slot::hipUp,
                 Slot::chestFront, Slot::chestSide, Slot::chestUp}) {
    EXPECT_TRUE(signals[s] == stillSlots[static_cast<std::size_t>(s)]) << "slot " << slotNumber(s);
  }
  for (int f = 0; f < FRAMES; ++f) EXPECT_EQ(signals[Slot::earringXrot][f], 0.0);
}

TEST_F(AnalysisPassTest, HugeAnglesAreAnalysedInBoundedTime) {
  test::TestMotion motion = test::movingMotion(FRAMES);
  // Markers replaced below by values that fit in ten characters.
  motion.setRotation(3, Track::abdomen, 1, 901.0);
  motion.setRotation(8, Track::hip, 2, 902.0);
  motion.setRotation(12, Track::head, 1, 903.0);
  motion.setRotation(20, Track::chest, 2, 904.0);
  std::string text = motion.text();
  for (const auto& [marker, value] : {std::pair{"901.0000", "1e300"},
                                      {"902.0000", "9e99"},
                                      {"903.0000", "-1e300"},
                                      {"904.0000", "1e999"}}) {
    text.replace(text.find(marker), 8, value);
  }
  const auto start = std::chrono::steady_clock::now();
  for (const EffectParameters& parameters : {EffectParameters{}, movieParameters()}) {
    analyse(parameters, text);
    for (int f = 0; f < FRAMES; ++f) {
      for (Slot s : LIMITED_SLOTS) {
        EXPECT_GE(signals[s][f], -1.0) << "slot " << slotNumber(s) << " frame " << f;
        EXPECT_LE(signals[s][f], 1.0) << "slot " << slotNumber(s) << " frame " << f;
      }
    }
  }
  // An angle that is not finite leaves the chain's direction unknown; the limit makes it -1.
  analyse(EffectParameters{}, text);
  EXPECT_EQ(signals[Slot::chestUp][20], -1.0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// Loop mode must give what the springs settle into once the cycle has played for ever: the cycle in
// the middle of the motion played over and over, with a full kernel and the longest delay before
// it and a cycle after it, whose frames the second differences look ahead to.
constexpr int SETTLED_FRAMES = KERNEL_LENGTH + 40;
constexpr double STEADY_STATE = 1e-9;

// The signals of the pose file and the CSV, the ones a loop must get right.
constexpr Slot OUTPUT_SLOTS[] = {
    Slot::twistSum,    Slot::lThighBend, Slot::rThighBend, Slot::earringZrot, Slot::earringSway,
    Slot::earringXrot, Slot::headFront,  Slot::hairSwing,  Slot::headSide,    Slot::headUp,
    Slot::hipUp,       Slot::chestFront, Slot::chestSide,  Slot::chestUp};

struct LoopSetting {
  const char* frameTime;
  EffectParameters parameters;
};

// Loop mode with the limit off, so that no clamp hides a difference.
EffectParameters loopWith(int gCoefficient, int delayTime, int inertiaRate, int accelRate,
                          int gFusion) {
  return {gCoefficient, delayTime, inertiaRate, accelRate, gFusion, false, false, true};
}

const LoopSetting LOOP_SETTINGS[] = {
    {"0.033333", {.stillMode = false, .loop = true}},
    // The longest delay (40 frames at 60 frames per second) and the strongest springs.
    {"0.016667", loopWith(20, 10, 40, 40, 99)},
    {"0.041667", loopWith(3, 7, 40, 0, 0)},
};

struct LoopShape {
  const char* name;
  int period;
  bool travels;
  bool closingFrame;
};

TEST_F(AnalysisPassTest, LoopGivesTheSteadyStateOfTheCyclePlayedOverAndOver) {
  const LoopShape shapes[] = {
      {"travelling", 60, true, false},
      {"travelling, closing frame", 60, true, true},
      {"in place", 60, false, false},
      {"in place, closing frame", 37, false, true},
      // Shorter than a kernel: the kernels and the delay go round the cycle more than once.
      {"15 frames", 15, true, false},
      {"15 frames, closing frame", 15, true, true},
  };
  for (const LoopShape& shape : shapes) {
    for (const LoopSetting& setting : LOOP_SETTINGS) {
      SCOPED_TRACE(std::string(shape.name) + " at " + setting.frameTime);
      const int firstCycle = (SETTLED_FRAMES + shape.period - 1) / shape.period;
      const int cycles = firstCycle + 2;
      ASSERT_LE(cycles * shape.period, MAX_FRAMES);
      EffectParameters played = setting.parameters;
      played.loop = false;
      analyse(
          played,
          test::cyclicMotion(shape.period, cycles, shape.travels, false, setting.frameTime).text());
      const auto steady = signals.slots;
      const int start = firstCycle * shape.period;

      const MovieFrames frames = analyse(
          setting.parameters,
          test::cyclicMotion(shape.period, 1, shape.travels, shape.closingFrame, setting.frameTime)
              .text());
      EXPECT_TRUE(frames.loop && signals.loopPass);
      EXPECT_EQ(frames.closingFrame, shape.closingFrame);
      EXPECT_EQ(frames.frameCount, shape.period);
      // Only a travelling cycle without a closing frame has its seam estimated (exactly, here,
      // as the hip walks at a steady speed).
      EXPECT_EQ(frames.travelEstimated, shape.travels && !shape.closingFrame);
      for (Slot s : OUTPUT_SLOTS) {
        for (int f = 0; f < store->motion.frameCount; ++f) {
          const double expected = steady[static_cast<std::size_t>(s)][start + f % shape.period];
          ASSERT_NEAR(signals[s][f], expected, STEADY_STATE)
              << "slot " << slotNumber(s) << " frame " << f;
        }
      }
    }
  }
}

double secondDifference(const FrameArray& signal, int frame, int period) {
  const int before = (frame + period - 1) % period;
  const int after = (frame + 1) % period;
  return signal[after] - 2.0 * signal[frame] + signal[before];
}

// A smooth cycle run as a loop continues from its last frame into its first as smoothly as
// anywhere else; run as an open motion it jumps there.
TEST_F(AnalysisPassTest, LoopJoinsTheLastFrameSmoothlyToTheFirst) {
  constexpr int PERIOD = 90;
  const std::string cycle = test::cyclicMotion(PERIOD, 1, true, false).text();
  for (const bool loop : {true, false}) {
    SCOPED_TRACE(loop ? "loop" : "open");
    EffectParameters parameters{.stillMode = false, .limitOn = false, .loop = loop};
    analyse(parameters, cycle);
    bool seamStandsOut = false;
    for (Slot s : {Slot::chestUp, Slot::chestSide, Slot::chestFront, Slot::hipUp, Slot::headSide,
                   Slot::hairSwing, Slot::earringZrot}) {
      double largest = 0.0;
      for (int f = 1; f + 1 < PERIOD; ++f) {
        largest = std::max(largest, std::abs(secondDifference(signals[s], f, PERIOD)));
      }
      const double seam = std::max(std::abs(secondDifference(signals[s], 0, PERIOD)),
                                   std::abs(secondDifference(signals[s], PERIOD - 1, PERIOD)));
      if (loop) {
        EXPECT_LE(seam, largest) << "slot " << slotNumber(s);
      }
      seamStandsOut = seamStandsOut || seam > largest;
    }
    EXPECT_EQ(seamStandsOut, !loop);
  }
}

// Loop mode takes any motion as a cycle; one that is none comes out with a jolt at the seam but
// within the limits, and a travel it had to estimate.
TEST_F(AnalysisPassTest, LoopTakesAMotionThatIsNoCycle) {
  EffectParameters parameters = movieParameters();
  parameters.loop = true;
  const MovieFrames frames = analyse(parameters, test::movingMotion(FRAMES).text());
  EXPECT_EQ(frames.frameCount, FRAMES);
  EXPECT_FALSE(frames.closingFrame);
  EXPECT_TRUE(frames.travelEstimated);
  for (int f = 0; f < FRAMES; ++f) {
    for (Slot s : OUTPUT_SLOTS) EXPECT_TRUE(std::isfinite(signals[s][f])) << slotNumber(s);
    for (Slot s : LIMITED_SLOTS) EXPECT_LE(std::abs(signals[s][f]), 1.0) << slotNumber(s);
  }
}

// Still mode computes each frame from its pose alone: loop mode changes nothing there.
TEST_F(AnalysisPassTest, LoopChangesNothingInStillMode) {
  const std::string cycle = test::cyclicMotion(30, 1, true, true).text();
  analyse(EffectParameters{}, cycle);
  const auto slots = signals.slots;
  const MovieFrames frames = analyse(EffectParameters{.loop = true}, cycle);
  EXPECT_TRUE(signals.slots == slots);
  EXPECT_FALSE(frames.loop || signals.loopPass);
  EXPECT_EQ(frames.frameCount, 31);
  EXPECT_EQ(describeLoop(frames).view(), "");
}

}  // namespace
}  // namespace zev
