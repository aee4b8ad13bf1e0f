#include "cli/convert_command.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/analysis_pass.h"
#include "pz2/pz2_writer.h"
#include "support/test_motion.h"
#include "support/test_support.h"

namespace zev {
namespace {

struct CommandRun {
  int status;
  std::string out;
  std::string err;
};

CommandRun convert(const std::vector<std::string>& arguments) {
  std::vector<std::string> words{"zev-convert"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  std::ostringstream out;
  std::ostringstream err;
  const int status = runConvertCommand(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

// A short walk-like motion: the chest and head tilt and the hip bobs, so that every signal moves.
std::string testMotionText(int frames) {
  test::TestMotion motion(frames);
  for (int f = 0; f < frames; ++f) {
    const double wave = (f % 10) - 5.0;
    motion.setRotation(f, chestTrack, 2, 4.0 * wave);
    motion.setRotation(f, abdomenTrack, 1, 2.0 * wave);
    motion.setRotation(f, headTrack, 2, -3.0 * wave);
    motion.setRotation(f, lThighTrack, 1, -1.5 * wave);
    motion.setHipPosition(f, 1, 0.3 * wave);
  }
  return motion.text();
}

// The pose file the dialog would save for the same file and settings.
std::string dialogPoseFile(const std::string& input, const EffectParameters& parameters) {
  SilentView view;
  motionStore().frameCount = 0;
  EXPECT_EQ(AnalysisPass(parameters, input.c_str(), view), BvhReadStatus::Ok);
  std::string text;
  Pz2MemorySink sink(text);
  writePz2File(sink);
  return text;
}

TEST(ConvertCommand, ConvertsBesideTheInputAsTheDialogWould) {
  test::resetMotionStore();
  test::TempDir dir;
  const std::string input = dir.write("walk.take1.bvh", testMotionText(40));
  const std::string output = (dir.path() / "walk.take1.pz2").string();

  const CommandRun run = convert({"--movie", "--g", "12", "--delay=3", input});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, input + ": 40 frames, 30 fps, movie mode -> " + output + "\n");

  EffectParameters parameters;
  parameters.stillMode = false;
  parameters.gCoefficient = 12;
  parameters.delayTime = 3;
  const std::string saved = test::readWholeFile(output);
  test::resetMotionStore();
  EXPECT_EQ(saved, dialogPoseFile(input, parameters));
}

TEST(ConvertCommand, RejectsBadUsageWithoutWritingAnything) {
  test::TempDir dir;
  const std::string a = dir.write("a.bvh", testMotionText(20));
  const std::string b = dir.write("b.bvh", testMotionText(20));
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"--g", "0", a}, "option --g needs a whole number from 1 to 20, not \"0\""},
      {{"--delay", "11", a}, "option --delay needs a whole number from 0 to 10"},
      {{"--inertia", "4x", a}, "option --inertia needs a whole number from 0 to 40, not \"4x\""},
      {{"--accel", "-1", a}, "option --accel needs a whole number from 0 to 40"},
      {{"--fusion", "100", a}, "option --fusion needs a whole number from 0 to 99"},
      {{"--fusion"}, "option --fusion needs a value"},
      {{"--movie=yes", a}, "option --movie takes no value"},
      {{"--fast", a}, "unknown option \"--fast\""},
      {{"-o", "x.pz2", a, b}, "option --output takes only one input"},
      {{"--signals", "x.csv", a, b}, "option --signals takes only one input"},
      {{}, "no input file"},
  };
  for (const auto& [arguments, problem] : cases) {
    const CommandRun run = convert(arguments);
    EXPECT_EQ(run.status, 2) << problem;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("zev-convert: ", 0), 0u);
    EXPECT_NE(run.err.find(problem), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Usage: zev-convert"), std::string::npos);
  }
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    ++files;
  }
  EXPECT_EQ(files, 2);
}

TEST(ConvertCommand, ReportsEachFailedInputAndConvertsTheRest) {
  test::resetMotionStore();
  test::TempDir dir;
  const std::string missing = (dir.path() / "missing.bvh").string();
  const std::string notHuman = dir.write("robot.bvh", "HIERARCHY\nROOT hip\n{\n}\nMOTION\n");
  const std::string shortMotion = dir.write("short.bvh", testMotionText(14));
  const std::string good = dir.write("good.bvh", testMotionText(20));

  const CommandRun run = convert({missing, notHuman, shortMotion, good});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, missing + ": BVH FILE CAN NOT OPEN!\n" + notHuman +
                         ": BVH FILE NOT HUMAN ERR\n" + shortMotion + ": FRAME RANGE ERR\n");
  EXPECT_EQ(run.out, good + ": 20 frames, 30 fps, still mode -> " +
                         (dir.path() / "good.pz2").string() + "\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "robot.pz2"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "short.pz2"));

  const CommandRun unsaved = convert({"-o", (dir.path() / "no" / "such.pz2").string(), good});
  EXPECT_EQ(unsaved.status, 1);
  EXPECT_EQ(unsaved.err, good + ": PZ2 FILE SAVE ERR\n");
}

TEST(ConvertCommand, WritesTheSignalsAsCsv) {
  test::resetMotionStore();
  test::TempDir dir;
  const std::string input = dir.write("walk.bvh", testMotionText(16));
  const std::string csv = (dir.path() / "walk.csv").string();
  ASSERT_EQ(convert({"--movie", "--no-limit", "--signals", csv, input}).status, 0);

  std::istringstream lines(test::readWholeFile(csv));
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line,
            "frame,twistSum,lThighBend,rThighBend,earringZrot,earringSway,earringXrot,headFront,"
            "hairSwing,headSide,headUp,hipUp,chestFront,chestSide,chestUp");
  const std::vector<SlotNumber> columns{
      twistSum,  lThighBend, rThighBend, earringZrot, earringSway, earringXrot, headFront,
      hairSwing, headSide,   headUp,     hipUp,       chestFront,  chestSide,   chestUp};
  const MotionStore& store = motionStore();
  int frame = 0;
  for (; std::getline(lines, line); ++frame) {
    std::istringstream cells(line);
    std::string cell;
    std::getline(cells, cell, ',');
    EXPECT_EQ(cell, std::to_string(frame));
    for (SlotNumber slot : columns) {
      ASSERT_TRUE(std::getline(cells, cell, ','));
      double value = 0;
      std::from_chars(cell.data(), cell.data() + cell.size(), value);
      EXPECT_EQ(value, store.slots[slot][frame]) << "frame " << frame << " slot " << slot;
    }
  }
  EXPECT_EQ(frame, 16);
  EXPECT_EQ(test::readWholeFile(csv).back(), '\n');
}

TEST(ConvertCommand, DrawsThePanelPagesAsPictures) {
  test::resetMotionStore();
  test::TempDir dir;
  const std::string input = dir.write("walk.bvh", testMotionText(16));
  const std::filesystem::path pictures = dir.path() / "pages";
  ASSERT_EQ(convert({"--movie", "--graphs", pictures.string(), input}).status, 0);
  for (const char* page : {"walk-chest.png", "walk-hair.png", "walk-ring.png", "walk-report.png"}) {
    const std::string png = test::readWholeFile(pictures / page);
    EXPECT_EQ(png.substr(1, 3), "PNG") << page;
  }
  // A folder that cannot be made fails that input.
  const CommandRun blocked = convert({"--graphs", input + "/pages", input});
  EXPECT_EQ(blocked.status, 1);
  EXPECT_NE(blocked.err.find(input + "/pages: "), std::string::npos) << blocked.err;
}

}  // namespace
}  // namespace zev
