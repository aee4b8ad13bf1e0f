#include "analysis/movie_frames.h"

#include <gtest/gtest.h>

#include <memory>

#include "store/motion_store.h"

namespace zev {
namespace {

constexpr int FRAMES = 20;

// A motion of FRAMES frames whose hip height bobs and whose every rotation channel turns a little
// from frame to frame and back; the last frame is the first pose again.
std::unique_ptr<MotionStore> closedCycle() {
  auto store = std::make_unique<MotionStore>();
  Motion& motion = store->motion;
  motion.frameCount = FRAMES;
  for (int f = 0; f < FRAMES; ++f) {
    const int fromEnds = std::min(f, FRAMES - 1 - f);
    for (JointTrack& track : motion.tracks) {
      for (int c = 0; c < CHANNELS_PER_JOINT; ++c) track[f][c] = 10.0 * c + fromEnds;
    }
    motion.hipYPos[f] = 30.0 + 0.5 * (fromEnds % 2);
  }
  return store;
}

TEST(MovieFrames, TheLastFrameClosesTheCycleWhenItRepeatsTheFirstPose) {
  struct Case {
    const char* what;
    void (*change)(Motion&);
    bool closing;
  };
  const Case cases[] = {
      {"the same pose", [](Motion&) {}, true},
      {"a rotation 0.0009 off", [](Motion& m) { m[Track::head][FRAMES - 1][2] += 0.0009; }, true},
      {"a rotation 0.0011 off", [](Motion& m) { m[Track::head][FRAMES - 1][2] += 0.0011; }, false},
      {"the hip turned once more", [](Motion& m) { m[Track::hip][FRAMES - 1][1] += 360.0; }, true},
      {"180 against -180",
       [](Motion& m) {
         m[Track::chest][0][0] = 180.0;
         m[Track::chest][FRAMES - 1][0] = -180.0;
       },
       true},
      {"a thigh bent on", [](Motion& m) { m[Track::lThigh][FRAMES - 1][0] += 5.0; }, false},
      {"the hip higher", [](Motion& m) { m.hipYPos[FRAMES - 1] += 0.0011; }, false},
      {"the hip walked on", [](Motion& m) { m.hipZPos[FRAMES - 1] += 40.0; }, true},
  };
  for (const Case& c : cases) {
    auto store = closedCycle();
    c.change(store->motion);
    const MovieFrames frames = findLoopCycle(store->motion, store->signals);
    EXPECT_TRUE(frames.loop) << c.what;
    EXPECT_EQ(frames.closingFrame, c.closing) << c.what;
    EXPECT_EQ(frames.frameCount, c.closing ? FRAMES - 1 : FRAMES) << c.what;
  }
}

// Per value: with a closing frame its travel is that frame's lead over frame 0; without one it
// stays in place within three of its largest steps, and beyond them travels its gap plus the mean
// of its first and last steps.
TEST(MovieFrames, EachValueTravelsByTheHipRule) {
  struct Case {
    const char* what;
    bool closing;
    double (*position)(int frame);
    double travel;
    bool estimated;
  };
  constexpr int LAST = FRAMES - 1;
  const Case cases[] = {
      {"closing frame", true, [](int f) { return 1.0 * f; }, LAST, false},
      {"three steps away", false, [](int f) { return std::min(f, 3) * 1.0; }, 0.0, false},
      {"three and a half steps away", false,
       [](int f) { return std::min(f, 3) + (f == LAST ? 0.5 : 0.0); }, 3.5 + (1.0 + 0.5) / 2, true},
      {"walking on", false, [](int f) { return 1.0 * f; }, LAST + 1.0, true},
      {"a last step of 5", false, [](int f) { return f == LAST ? f + 4.0 : f; },
       LAST + 4.0 + (1.0 + 5.0) / 2, true},
  };
  for (const Case& c : cases) {
    auto store = closedCycle();
    if (!c.closing) store->motion[Track::head][LAST][0] += 1.0;
    for (int f = 0; f < FRAMES; ++f) {
      store->motion.hipXPos[f] = c.position(f);
      store->signals[Slot::twistSum][f] = -c.position(f);
    }
    const MovieFrames frames = findLoopCycle(store->motion, store->signals);
    EXPECT_EQ(frames.closingFrame, c.closing) << c.what;
    EXPECT_DOUBLE_EQ(frames.hipTravel[0], c.travel) << c.what;
    EXPECT_DOUBLE_EQ(frames.twistTravel, -c.travel) << c.what;
    EXPECT_EQ(frames.hipTravel[1], 0.0) << c.what;
    EXPECT_EQ(frames.hipTravel[2], 0.0) << c.what;
    EXPECT_EQ(frames.travelEstimated, c.estimated) << c.what;
  }
}

}  // namespace
}  // namespace zev
