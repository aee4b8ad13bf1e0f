#include "analysis/pose_signals.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/angle_rotation.h"
#include "store/motion_store.h"

namespace zev {
namespace {

constexpr double ROUNDING = 1e-15;
constexpr double SENTINEL = 7.25;
constexpr int FRAMES = 3;

constexpr Slot WRITTEN[] = {Slot::chestUp,     Slot::chestSide,  Slot::chestFront,
                            Slot::hipUp,       Slot::twistSum,   Slot::headUp,
                            Slot::headSide,    Slot::headFront,  Slot::earringSway,
                            Slot::earringZrot, Slot::rThighBend, Slot::lThighBend};

int number(Slot s) { return static_cast<int>(s); }

// A zero pose of FRAMES frames, every slot and every frame beyond them holding SENTINEL.
std::unique_ptr<MotionStore> prepareStore() {
  auto store = std::make_unique<MotionStore>();
  for (auto& slot : store->signals.slots) slot.fill(SENTINEL);
  store->motion.frameCount = FRAMES;
  return store;
}

void setChannel(Motion& motion, Track track, int channel, double degrees) {
  for (int f = 0; f < FRAMES; ++f) motion[track][f][channel - 1] = degrees;
}

TEST(PoseSignals, UprightFigureWritesOnlyItsTwelveSlots) {
  const auto store = prepareStore();
  const Signals& signals = store->signals;
  extractPoseSignals(store->motion, 0.7, store->signals);
  for (int f = 0; f < FRAMES; ++f) {
    for (Slot s : WRITTEN) {
      const bool up = s == Slot::chestUp || s == Slot::headUp || s == Slot::hipUp;
      EXPECT_EQ(signals[s][f], up ? 0.7 : 0.0) << "slot " << number(s);
    }
  }
  for (int s = 0; s < SIGNAL_SLOT_COUNT; ++s) {
    bool written = false;
    for (Slot w : WRITTEN) written = written || number(w) == s;
    if (!written) {
      for (int f = 0; f < FRAMES; ++f) EXPECT_EQ(signals.slots[s][f], SENTINEL) << "slot " << s;
    }
    EXPECT_EQ(signals.slots[s][FRAMES], SENTINEL) << "slot " << s;
  }
  EXPECT_EQ(signals.frameRate, 0);
}

TEST(PoseSignals, ChestChainChannelsInTheirRotationOrder) {
  auto store = prepareStore();
  // Channel 1 summed over abdomen, chest and hip; head and neck are not part of the chest chain.
  setChannel(store->motion, Track::abdomen, 1, 30.0);
  setChannel(store->motion, Track::chest, 1, 40.0);
  setChannel(store->motion, Track::hip, 1, 20.0);
  setChannel(store->motion, Track::head, 2, 60.0);
  extractPoseSignals(store->motion, 2.0, store->signals);
  EXPECT_NEAR(store->signals[Slot::chestFront][1], -2.0, ROUNDING);
  EXPECT_NEAR(store->signals[Slot::chestSide][1], 0.0, ROUNDING);
  EXPECT_NEAR(store->signals[Slot::chestUp][1], 2.03e-8 * 2.0, 1e-10);

  store = prepareStore();
  setChannel(store->motion, Track::chest, 2, 90.0);
  extractPoseSignals(store->motion, 2.0, store->signals);
  EXPECT_NEAR(store->signals[Slot::chestSide][0], 2.0, ROUNDING);
  EXPECT_NEAR(store->signals[Slot::chestFront][0], 0.0, ROUNDING);

  store = prepareStore();
  setChannel(store->motion, Track::hip, 3, 50.0);
  extractPoseSignals(store->motion, 2.0, store->signals);
  EXPECT_EQ(store->signals[Slot::chestUp][2], 2.0);
  EXPECT_EQ(store->signals[Slot::chestSide][2], 0.0);
  EXPECT_EQ(store->signals[Slot::chestFront][2], 0.0);
  EXPECT_EQ(store->signals[Slot::hipUp][2], 2.0);
}

TEST(PoseSignals, HeadChainDrivesHeadAndEarrings) {
  const auto store = prepareStore();
  const Signals& signals = store->signals;
  setChannel(store->motion, Track::head, 1, 10.0);
  setChannel(store->motion, Track::neck, 1, 15.0);
  setChannel(store->motion, Track::chest, 2, 20.0);
  setChannel(store->motion, Track::abdomen, 3, 5.0);
  extractPoseSignals(store->motion, 1.5, store->signals);
  // Head chain: channel sums 25, 20, 5 passed as (25, 5, 20); the chest chain misses head and neck.
  const double front = frontComponent(25.0, 5.0, 20.0);
  const double side = sideComponent(25.0, 5.0, 20.0);
  EXPECT_EQ(signals[Slot::headFront][0], 1.5 * front);
  EXPECT_EQ(signals[Slot::headSide][0], 1.5 * side);
  EXPECT_EQ(signals[Slot::headUp][0], 1.5 * upComponent(25.0, 5.0, 20.0));
  EXPECT_EQ(signals[Slot::earringSway][0], 1.5 * front * 90.0);
  EXPECT_EQ(signals[Slot::earringZrot][0], 1.5 * side * 90.0);
  EXPECT_EQ(signals[Slot::chestSide][0], 1.5 * sideComponent(0.0, 5.0, 20.0));
  EXPECT_NE(signals[Slot::headSide][0], signals[Slot::chestSide][0]);
}

TEST(PoseSignals, TwistAndThighsDoNotDependOnG) {
  const auto store = prepareStore();
  const Signals& signals = store->signals;
  for (Track t : {Track::head, Track::neck, Track::abdomen, Track::chest, Track::hip}) {
    setChannel(store->motion, t, 3, 20.0);
  }
  setChannel(store->motion, Track::rThigh, 1, 55.0);
  setChannel(store->motion, Track::lThigh, 1, -110.0);
  setChannel(store->motion, Track::chest, 1, 33.0);
  extractPoseSignals(store->motion, 0.0, store->signals);
  EXPECT_DOUBLE_EQ(signals[Slot::twistSum][0], 1.0);
  EXPECT_DOUBLE_EQ(signals[Slot::rThighBend][0], 0.5);
  EXPECT_DOUBLE_EQ(signals[Slot::lThighBend][0], -1.0);
  for (Slot s : {Slot::chestUp, Slot::chestSide, Slot::chestFront, Slot::hipUp, Slot::headUp,
                 Slot::headSide, Slot::headFront, Slot::earringSway, Slot::earringZrot}) {
    EXPECT_EQ(signals[s][0], 0.0) << "slot " << number(s);
  }
}

}  // namespace
}  // namespace zev
