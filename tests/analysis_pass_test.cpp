#include "analysis/analysis_pass.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "store/motion_store.h"
#include "support/test_motion.h"
#include "support/test_support.h"

namespace zev {
namespace {

constexpr int FRAMES = 30;
constexpr SlotNumber LIMITED[] = {chestUp, chestSide, chestFront, headUp, headSide, headFront};

// Records what the pass shows, enables and clears.
class FakeView : public AnalysisView {
 public:
  void showStatus(std::string_view text) override { statuses.emplace_back(text); }
  void setButtonEnabled(PassButton button, bool enabled) override { buttons[button] = enabled; }
  void clearPanel() override { ++panelClears; }

  std::vector<std::string> statuses;
  std::map<PassButton, bool> buttons;
  int panelClears = 0;
};

const std::map<PassButton, bool> ALL_ENABLED{
    {PassButton::Save, true}, {PassButton::Analyze, true}, {PassButton::Graph, true}};

// A figure that bends, sways, twists and walks, with a bend large enough to need the limit.
test::TestMotion movingMotion(int frames = FRAMES, std::string frameTime = "0.033333") {
  test::TestMotion motion(frames, std::move(frameTime));
  for (int f = 0; f < frames; ++f) {
    motion.setRotation(f, hipTrack, 1, 2.0 * f);
    motion.setRotation(f, abdomenTrack, 1, (f % 7) * 6.0);
    motion.setRotation(f, chestTrack, 2, (f % 5) * 9.0 - 20.0);
    motion.setRotation(f, neckTrack, 3, f * 1.5);
    motion.setRotation(f, headTrack, 2, (f % 3) * 12.0);
    motion.setRotation(f, rThighTrack, 1, 40.0 - f);
    motion.setRotation(f, lThighTrack, 1, f * 2.5);
    motion.setHipPosition(f, 0, (f % 4) * 0.5);
    motion.setHipPosition(f, 1, 30.0 + (f % 6) * 0.8);
    motion.setHipPosition(f, 2, f * 0.3);
  }
  return motion;
}

EffectParameters movieParameters() {
  EffectParameters parameters;
  parameters.stillMode = false;
  parameters.gCoefficient = 20;
  return parameters;
}

class AnalysisPassTest : public ::testing::Test {
 protected:
  void SetUp() override { test::resetMotionStore(); }

  BvhReadStatus run(const EffectParameters& parameters, const std::string& bvhText) {
    view = FakeView{};
    return AnalysisPass(parameters, dir.write("motion.bvh", bvhText).c_str(), view);
  }

  test::TempDir dir;
  FakeView view;
  MotionStore& store = motionStore();
};

TEST_F(AnalysisPassTest, MissingFileShowsTheReaderMessageAndKeepsEverything) {
  store.slots[chestUp].fill(0.75);
  view = FakeView{};
  const std::string missing = (dir.path() / "none.bvh").string();
  EXPECT_EQ(AnalysisPass(EffectParameters{}, missing.c_str(), view), BvhReadStatus::CannotOpen);
  EXPECT_EQ(view.statuses, std::vector<std::string>{"BVH FILE CAN NOT OPEN!"});
  EXPECT_TRUE(view.buttons.empty());
  EXPECT_EQ(view.panelClears, 0);
  EXPECT_EQ(store.slots[chestUp][0], 0.75);
}

TEST_F(AnalysisPassTest, FrameCountOutOfRangeDisablesTheButtons) {
  store.slots[chestUp].fill(0.75);
  EXPECT_EQ(run(EffectParameters{}, movingMotion(14).text()), BvhReadStatus::FrameRange);
  EXPECT_EQ(view.statuses, std::vector<std::string>{"FRAME RANGE ERR"});
  const std::map<PassButton, bool> disabled{
      {PassButton::Save, false}, {PassButton::Analyze, false}, {PassButton::Graph, false}};
  EXPECT_EQ(view.buttons, disabled);
  EXPECT_EQ(view.panelClears, 0);
  EXPECT_EQ(store.slots[chestUp][0], 0.75);
}

TEST_F(AnalysisPassTest, StillPassCompletesWithTheLimitOnTheChestAndHeadOnly) {
  // An upright figure: every up component equals G = 2.0.
  EffectParameters parameters;
  parameters.gCoefficient = 20;
  EXPECT_EQ(run(parameters, test::TestMotion(FRAMES).text()), BvhReadStatus::Ok);
  EXPECT_EQ(view.statuses, std::vector<std::string>{"COMPLETE..."});
  EXPECT_EQ(view.buttons, ALL_ENABLED);
  EXPECT_EQ(view.panelClears, 1);
  EXPECT_EQ(store.frameRate, 30);
  for (int f = 0; f < FRAMES; ++f) {
    EXPECT_EQ(store.slots[chestUp][f], 1.0);
    EXPECT_EQ(store.slots[headUp][f], 1.0);
    EXPECT_EQ(store.slots[hipUp][f], 2.0);
    EXPECT_EQ(store.slots[hairSwing][f], 0.0);
    EXPECT_EQ(store.slots[earringXrot][f], 0.0);
  }

  parameters.limitOn = false;
  run(parameters, test::TestMotion(FRAMES).text());
  EXPECT_EQ(store.slots[chestUp][0], 2.0);
  parameters.gCoefficient = 3;
  run(parameters, test::TestMotion(FRAMES).text());
  EXPECT_EQ(store.slots[chestUp][0], 0.30000000000000004);
}

TEST_F(AnalysisPassTest, FrameRateIsRoundedFromTheFrameTime) {
  const std::pair<const char*, int> rates[] = {
      {"0.0416666666666667", 24}, {"0.033333", 30}, {"0.04", 25}, {"0.0833333", 12}};
  for (const auto& [frameTime, rate] : rates) {
    EXPECT_EQ(run(EffectParameters{}, test::TestMotion(FRAMES, frameTime).text()),
              BvhReadStatus::Ok);
    EXPECT_EQ(store.frameRate, rate) << frameTime;
  }
}

TEST_F(AnalysisPassTest, MoviePassEndsWithAnEmptyStatusAndLimitedSignals) {
  EXPECT_EQ(run(movieParameters(), movingMotion().text()), BvhReadStatus::Ok);
  EXPECT_EQ(view.statuses, (std::vector<std::string>{"COMPLETE...", ""}));
  EXPECT_EQ(view.buttons, ALL_ENABLED);
  EXPECT_EQ(view.panelClears, 1);
  bool hairMoves = false;
  for (int f = 0; f < FRAMES; ++f) {
    for (SlotNumber s : LIMITED) {
      EXPECT_GE(store.slots[s][f], -1.0) << "slot " << s;
      EXPECT_LE(store.slots[s][f], 1.0) << "slot " << s;
    }
    EXPECT_EQ(store.slots[earringXrot][f], 0.0);
    hairMoves = hairMoves || store.slots[hairSwing][f] != store.slots[hairSwing][0];
  }
  EXPECT_TRUE(hairMoves);
}

TEST_F(AnalysisPassTest, StillPassIgnoresTheDynamicsSettings) {
  EffectParameters first;
  first.gCoefficient = 7;
  run(first, movingMotion().text());
  const auto slots = store.slots;
  EffectParameters second = first;
  second.delayTime = 10;
  second.inertiaRate = 40;
  second.accelRate = 0;
  second.gFusion = 99;
  run(second, movingMotion().text());
  EXPECT_EQ(store.slots, slots);
}

TEST_F(AnalysisPassTest, StillPassAfterMoviePassKeepsTheMovieHairSwing) {
  EffectParameters still;
  run(still, movingMotion().text());
  const auto stillSlots = store.slots;

  test::resetMotionStore();
  run(movieParameters(), movingMotion().text());
  const FrameArray movieHair = store.slots[hairSwing];
  run(still, movingMotion().text());
  EXPECT_EQ(view.statuses, std::vector<std::string>{"COMPLETE..."});
  EXPECT_EQ(store.slots[hairSwing], movieHair);
  for (SlotNumber s : {twistSum, lThighBend, rThighBend, earringZrot, earringSway, headFront,
                       headSide, headUp, hipUp, chestFront, chestSide, chestUp}) {
    EXPECT_EQ(store.slots[s], stillSlots[s]) << "slot " << s;
  }
  for (int f = 0; f < FRAMES; ++f) EXPECT_EQ(store.slots[earringXrot][f], 0.0);
}

TEST_F(AnalysisPassTest, HugeAnglesAreAnalysedInBoundedTime) {
  test::TestMotion motion = movingMotion();
  // Markers replaced below by values that fit in ten characters.
  motion.setRotation(3, abdomenTrack, 1, 901.0);
  motion.setRotation(8, hipTrack, 2, 902.0);
  motion.setRotation(12, headTrack, 1, 903.0);
  motion.setRotation(20, chestTrack, 2, 904.0);
  std::string text = motion.text();
  for (const auto& [marker, value] : {std::pair{"901.0000", "1e300"},
                                      {"902.0000", "9e99"},
                                      {"903.0000", "-1e300"},
                                      {"904.0000", "1e999"}}) {
    text.replace(text.find(marker), 8, value);
  }
  const auto start = std::chrono::steady_clock::now();
  for (const EffectParameters& parameters : {EffectParameters{}, movieParameters()}) {
    EXPECT_EQ(run(parameters, text), BvhReadStatus::Ok);
    for (int f = 0; f < FRAMES; ++f) {
      for (SlotNumber s : LIMITED) {
        EXPECT_GE(store.slots[s][f], -1.0) << "slot " << s << " frame " << f;
        EXPECT_LE(store.slots[s][f], 1.0) << "slot " << s << " frame " << f;
      }
    }
  }
  // An angle that is not finite leaves the chain's direction unknown; the limit makes it -1.
  EXPECT_EQ(run(EffectParameters{}, text), BvhReadStatus::Ok);
  EXPECT_EQ(store.slots[chestUp][20], -1.0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace zev
