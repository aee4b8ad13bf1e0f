#include "dialog/analysis_view.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "store/motion_store.h"
#include "support/test_motion.h"
#include "support/test_support.h"

// The pass as the dialog runs it: what it reads, what it tells the user, which buttons it leaves
// usable and when it clears the panel. The numbers it computes are analyseMotion's, tested there.

namespace zev {
namespace {

constexpr int FRAMES = 30;

using Status = std::pair<std::string, std::string>;  // message, detail
using Buttons = std::map<PassButton, bool>;

// Records what the pass shows, enables and clears.
class FakeView : public AnalysisView {
 public:
  void showStatus(std::string_view message, std::string_view detail) override {
    statuses.emplace_back(message, detail);
  }
  void setButtonEnabled(PassButton button, bool enabled) override { buttons[button] = enabled; }
  void clearPanel() override { ++panelClears; }

  std::vector<Status> statuses;
  Buttons buttons;
  int panelClears = 0;
};

const Buttons ALL_ENABLED{
    {PassButton::Save, true}, {PassButton::Analyze, true}, {PassButton::Graph, true}};
const Buttons ALL_DISABLED{
    {PassButton::Save, false}, {PassButton::Analyze, false}, {PassButton::Graph, false}};

std::string movingMotionText(int frames = FRAMES, std::string frameTime = "0.033333") {
  return test::movingMotion(frames, std::move(frameTime)).text();
}

// The 1-based number of the first line of text that starts with prefix.
int lineNumberOf(const std::string& text, const std::string& prefix) {
  int number = 1;
  for (std::size_t start = 0; start < text.size(); start = text.find('\n', start) + 1, ++number) {
    if (text.compare(start, prefix.size(), prefix) == 0) return number;
    if (text.find('\n', start) == std::string::npos) break;
  }
  return 0;
}

class AnalysisViewTest : public ::testing::Test {
 protected:
  BvhReadResult run(const EffectParameters& parameters, const std::filesystem::path& path) {
    view = FakeView{};
    return runAnalysisPass(parameters, path, reader, *store, view);
  }

  test::TempDir dir;
  BvhReader reader;
  std::unique_ptr<MotionStore> store = std::make_unique<MotionStore>();
  FakeView view;
};

// A refused file shows the reader's message, and where and why as the detail; nothing is
// analysed, drawn or cleared. Only a frame count out of range disables the buttons, as the reader
// then leaves no frames to save, analyse or draw.
TEST_F(AnalysisViewTest, ARefusedFileShowsWhyAndKeepsTheSignals) {
  const int framesLine = lineNumberOf(movingMotionText(), "Frames:");
  const struct {
    const char* name;
    std::function<std::string(const test::TempDir&)> input;  // the path to open
    BvhReadStatus status;
    std::string message;
    std::string detailPart;
    Buttons buttons;  // what the pass set
    int frameCount;   // what the motion holds afterwards
  } cases[] = {
      {"missing file",
       [](const test::TempDir& d) { return (d.path() / "none.bvh").string(); },
       BvhReadStatus::CannotOpen,
       "BVH FILE CAN NOT OPEN!",
       "No such file or directory",
       {},
       FRAMES},
      {"folder",
       [](const test::TempDir& d) {
         std::filesystem::create_directory(d.path() / "folder.bvh");
         return (d.path() / "folder.bvh").string();
       },
       BvhReadStatus::CannotOpen,
       "BVH FILE CAN NOT OPEN!",
       "Is a directory",
       {},
       FRAMES},
      {"empty file",
       [](const test::TempDir& d) { return d.write("empty.bvh", ""); },
       BvhReadStatus::ReadError,
       "BVH FILE READ ERR",
       "the file is empty",
       {},
       FRAMES},
      {"other root",
       [](const test::TempDir& d) {
         return d.write("pelvis.bvh", "HIERARCHY\nROOT pelvis\n{\n}\nMOTION\n");
       },
       BvhReadStatus::NotPoserFormat,
       "BVH FILE NOT POSER FORMAT",
       "line 3: ",
       {},
       FRAMES},
      {"frame rate",
       [](const test::TempDir& d) { return d.write("slow.bvh", movingMotionText(FRAMES, "0.5")); },
       BvhReadStatus::FpsRange,
       "FPS RANGE ERR",
       "line " + std::to_string(framesLine + 1) + ": Frame Time 0.5",
       {},
       FRAMES},
      {"14 frames",
       [](const test::TempDir& d) { return d.write("short.bvh", movingMotionText(14)); },
       BvhReadStatus::FrameRange, "FRAME RANGE ERR",
       "line " + std::to_string(framesLine) + ": Frames: 14 is outside 15 to 500", ALL_DISABLED, 0},
  };
  const std::string good = dir.write("good.bvh", movingMotionText());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(run(EffectParameters{}, good).ok());
    store->signals[Slot::chestUp].fill(0.75);
    store->signals.frameRate = 24;

    const test::TempDir folder;
    const BvhReadResult result = run(EffectParameters{}, c.input(folder));
    EXPECT_EQ(result.status, c.status);
    ASSERT_EQ(view.statuses.size(), 1u);
    EXPECT_EQ(view.statuses[0].first, c.message);
    EXPECT_EQ(view.statuses[0].second, describeReadFailure(result).view());
    EXPECT_NE(view.statuses[0].second.find(c.detailPart), std::string::npos)
        << view.statuses[0].second;
    EXPECT_EQ(view.buttons, c.buttons);
    EXPECT_EQ(view.panelClears, 0);
    EXPECT_EQ(store->motion.frameCount, c.frameCount);
    EXPECT_EQ(store->signals[Slot::chestUp][0], 0.75);
    EXPECT_EQ(store->signals[Slot::chestUp][FRAMES - 1], 0.75);
    EXPECT_EQ(store->signals.frameRate, 24);
  }
}

// A good file is read into the store and analysed with the parameters given, exactly as
// analyseMotion does after a read of the same bytes; the buttons are enabled and the panel is
// cleared once. A still-mode pass ends on "COMPLETE...", a movie-mode pass on an empty status, a
// loop pass with how it took the motion in the detail.
TEST_F(AnalysisViewTest, AGoodFileIsReadAnalysedAndReported) {
  EffectParameters movie;
  movie.stillMode = false;
  movie.gCoefficient = 14;
  movie.delayTime = 3;
  EffectParameters still;
  still.gCoefficient = 20;
  still.limitOn = false;
  EffectParameters loop = movie;
  loop.loop = true;
  // The figure walks on, and the motion has no closing frame.
  const std::string loopDetail =
      "loop: 40 frames; the cycle travels without a closing frame, so its seam is estimated: "
      "export the first frame again as the last for an exact loop";
  const struct {
    const char* name;
    EffectParameters parameters;
    std::vector<Status> statuses;
  } cases[] = {
      {"still", still, {{"COMPLETE...", ""}}},
      {"movie", movie, {{"COMPLETE...", ""}, {"", ""}}},
      {"loop", loop, {{"COMPLETE...", ""}, {"", loopDetail}}},
  };
  const std::string text = movingMotionText(40, "0.04");
  const std::string path = dir.write("walk.bvh", text);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    store = std::make_unique<MotionStore>();
    const BvhReadResult result = run(c.parameters, path);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.detail.view(), "");
    EXPECT_EQ(view.statuses, c.statuses);
    EXPECT_EQ(view.buttons, ALL_ENABLED);
    EXPECT_EQ(view.panelClears, 1);
    EXPECT_EQ(store->motion.frameCount, 40);
    EXPECT_EQ(store->signals.frameRate, 25);

    BvhReader ownReader;
    const auto expected = std::make_unique<MotionStore>();
    ASSERT_TRUE(ownReader.readBytes(text, expected->motion).ok());
    analyseMotion(c.parameters, expected->motion, expected->signals);
    EXPECT_TRUE(store->signals.slots == expected->signals.slots);
    EXPECT_TRUE(store->motion.hipYPos == expected->motion.hipYPos);
  }
}

// The signals of a failed pass are those of the last good one, and a later good pass over the
// same reader and store replaces them.
TEST_F(AnalysisViewTest, AGoodPassAfterARefusedOneAnalysesTheNewFile) {
  EffectParameters parameters;
  parameters.gCoefficient = 20;
  ASSERT_EQ(run(parameters, dir.write("short.bvh", movingMotionText(14))).status,
            BvhReadStatus::FrameRange);
  EXPECT_EQ(run(parameters, dir.write("upright.bvh", test::TestMotion(FRAMES).text())).status,
            BvhReadStatus::Ok);
  EXPECT_EQ(view.buttons, ALL_ENABLED);
  EXPECT_EQ(store->motion.frameCount, FRAMES);
  // An upright figure: every up component equals G = 2.0, limited to 1.
  for (int f = 0; f < FRAMES; ++f) {
    EXPECT_EQ(store->signals[Slot::chestUp][f], 1.0);
    EXPECT_EQ(store->signals[Slot::hipUp][f], 2.0);
  }
}

}  // namespace
}  // namespace zev
