#include "analysis/pose_signals.h"

#include <gtest/gtest.h>

#include "analysis/angle_rotation.h"
#include "store/motion_store.h"
#include "support/test_support.h"

namespace zev {
namespace {

constexpr double ROUNDING = 1e-15;
constexpr double SENTINEL = 7.25;
constexpr int FRAMES = 3;

constexpr SlotNumber WRITTEN[] = {chestUp,     chestSide,   chestFront, hipUp,
                                  twistSum,    headUp,      headSide,   headFront,
                                  earringSway, earringZrot, rThighBend, lThighBend};

// A zero pose of FRAMES frames, every slot and every frame beyond them holding SENTINEL.
MotionStore& prepareStore() {
  test::resetMotionStore();
  MotionStore& store = motionStore();
  for (auto& slot : store.slots) slot.fill(SENTINEL);
  store.frameCount = FRAMES;
  return store;
}

void setChannel(TrackNumber track, int channel, double degrees) {
  for (int f = 0; f < FRAMES; ++f) motionStore().tracks[track][f][channel - 1] = degrees;
}

TEST(PoseSignals, UprightFigureWritesOnlyItsTwelveSlots) {
  MotionStore& store = prepareStore();
  extractPoseSignals(0.7);
  for (int f = 0; f < FRAMES; ++f) {
    for (SlotNumber s : WRITTEN) {
      const bool up = s == chestUp || s == headUp || s == hipUp;
      EXPECT_EQ(store.slots[s][f], up ? 0.7 : 0.0) << "slot " << s;
    }
  }
  for (int s = 0; s < SIGNAL_SLOT_COUNT; ++s) {
    bool written = false;
    for (SlotNumber w : WRITTEN) written = written || w == s;
    if (!written) {
      for (int f = 0; f < FRAMES; ++f) EXPECT_EQ(store.slots[s][f], SENTINEL) << "slot " << s;
    }
    EXPECT_EQ(store.slots[s][FRAMES], SENTINEL) << "slot " << s;
  }
}

TEST(PoseSignals, ChestChainChannelsInTheirRotationOrder) {
  MotionStore& store = prepareStore();
  // Channel 1 summed over abdomen, chest and hip; head and neck are not part of the chest chain.
  setChannel(abdomenTrack, 1, 30.0);
  setChannel(chestTrack, 1, 40.0);
  setChannel(hipTrack, 1, 20.0);
  setChannel(headTrack, 2, 60.0);
  extractPoseSignals(2.0);
  EXPECT_NEAR(store.slots[chestFront][1], -2.0, ROUNDING);
  EXPECT_NEAR(store.slots[chestSide][1], 0.0, ROUNDING);
  EXPECT_NEAR(store.slots[chestUp][1], 2.03e-8 * 2.0, 1e-10);

  prepareStore();
  setChannel(chestTrack, 2, 90.0);
  extractPoseSignals(2.0);
  EXPECT_NEAR(store.slots[chestSide][0], 2.0, ROUNDING);
  EXPECT_NEAR(store.slots[chestFront][0], 0.0, ROUNDING);

  prepareStore();
  setChannel(hipTrack, 3, 50.0);
  extractPoseSignals(2.0);
  EXPECT_EQ(store.slots[chestUp][2], 2.0);
  EXPECT_EQ(store.slots[chestSide][2], 0.0);
  EXPECT_EQ(store.slots[chestFront][2], 0.0);
  EXPECT_EQ(store.slots[hipUp][2], 2.0);
}

TEST(PoseSignals, HeadChainDrivesHeadAndEarrings) {
  MotionStore& store = prepareStore();
  setChannel(headTrack, 1, 10.0);
  setChannel(neckTrack, 1, 15.0);
  setChannel(chestTrack, 2, 20.0);
  setChannel(abdomenTrack, 3, 5.0);
  extractPoseSignals(1.5);
  // Head chain: channel sums 25, 20, 5 passed as (25, 5, 20); the chest chain misses head and neck.
  const double front = frontComponent(25.0, 5.0, 20.0);
  const double side = sideComponent(25.0, 5.0, 20.0);
  EXPECT_EQ(store.slots[headFront][0], 1.5 * front);
  EXPECT_EQ(store.slots[headSide][0], 1.5 * side);
  EXPECT_EQ(store.slots[headUp][0], 1.5 * upComponent(25.0, 5.0, 20.0));
  EXPECT_EQ(store.slots[earringSway][0], 1.5 * front * 90.0);
  EXPECT_EQ(store.slots[earringZrot][0], 1.5 * side * 90.0);
  EXPECT_EQ(store.slots[chestSide][0], 1.5 * sideComponent(0.0, 5.0, 20.0));
  EXPECT_NE(store.slots[headSide][0], store.slots[chestSide][0]);
}

TEST(PoseSignals, TwistAndThighsDoNotDependOnG) {
  MotionStore& store = prepareStore();
  for (TrackNumber t : {headTrack, neckTrack, abdomenTrack, chestTrack, hipTrack}) {
    setChannel(t, 3, 20.0);
  }
  setChannel(rThighTrack, 1, 55.0);
  setChannel(lThighTrack, 1, -110.0);
  setChannel(chestTrack, 1, 33.0);
  extractPoseSignals(0.0);
  EXPECT_DOUBLE_EQ(store.slots[twistSum][0], 1.0);
  EXPECT_DOUBLE_EQ(store.slots[rThighBend][0], 0.5);
  EXPECT_DOUBLE_EQ(store.slots[lThighBend][0], -1.0);
  for (SlotNumber s : {chestUp, chestSide, chestFront, hipUp, headUp, headSide, headFront,
                       earringSway, earringZrot}) {
    EXPECT_EQ(store.slots[s][0], 0.0) << "slot " << s;
  }
}

}  // namespace
}  // namespace zev
