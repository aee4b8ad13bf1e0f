#include "cli/convert_command.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "common/text_sink.h"
#include "pz2/pz2_writer.h"
#include "store/motion_store.h"
#include "support/test_motion.h"
#include "support/test_support.h"

namespace zev {
namespace {

struct CommandRun {
  int status;
  std::string out;
  std::string err;
};

CommandRun convert(const std::vector<std::string>& arguments,
                   const ConverterFeatures& features = {}) {
  std::vector<std::string> words{"zev-convert"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  std::ostringstream out;
  std::ostringstream err;
  const int status =
      runConvertCommand(static_cast<int>(argv.size()), argv.data(), out, err, features);
  return {status, out.str(), err.str()};
}

// A short walk-like motion: the chest and head tilt and the hip bobs, so that every signal moves.
std::string testMotionText(int frames) {
  test::TestMotion motion(frames);
  for (int f = 0; f < frames; ++f) {
    const double wave = (f % 10) - 5.0;
    motion.setRotation(f, Track::chest, 2, 4.0 * wave);
    motion.setRotation(f, Track::abdomen, 1, 2.0 * wave);
    motion.setRotation(f, Track::head, 2, -3.0 * wave);
    motion.setRotation(f, Track::lThigh, 1, -1.5 * wave);
    motion.setHipPosition(f, 1, 0.3 * wave);
  }
  return motion.text();
}

// The file read and analysed in a fresh store, as the dialog's pass does after Open.
std::unique_ptr<MotionStore> analysedStore(const std::string& input,
                                           const EffectParameters& parameters) {
  auto store = std::make_unique<MotionStore>();
  BvhReader reader;
  const BvhReadResult read = reader.readFile(input, store->motion);
  EXPECT_TRUE(read.ok()) << describeReadFailure(read).view();
  analyseMotion(parameters, store->motion, store->signals);
  return store;
}

// The pose file the dialog would save for the same file and settings.
std::string dialogPoseFile(const std::string& input, const EffectParameters& parameters) {
  std::string text;
  StringSink sink(text);
  writePz2File(sink, *analysedStore(input, parameters));
  return text;
}

TEST(ConvertCommand, ConvertsBesideTheInputAsTheDialogWould) {
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
  EXPECT_EQ(test::readWholeFile(output), dialogPoseFile(input, parameters));
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
      {{"-j", "0", a}, "option -j needs a whole number from 1 to 256, not \"0\""},
      {{"--jobs=two", a}, "option --jobs needs a whole number from 1 to 256, not \"two\""},
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
  const std::vector<Slot> columns{
      Slot::twistSum,    Slot::lThighBend, Slot::rThighBend, Slot::earringZrot, Slot::earringSway,
      Slot::earringXrot, Slot::headFront,  Slot::hairSwing,  Slot::headSide,    Slot::headUp,
      Slot::hipUp,       Slot::chestFront, Slot::chestSide,  Slot::chestUp};
  EffectParameters parameters;
  parameters.stillMode = false;
  parameters.limitOn = false;
  const auto store = analysedStore(input, parameters);
  int frame = 0;
  for (; std::getline(lines, line); ++frame) {
    std::istringstream cells(line);
    std::string cell;
    std::getline(cells, cell, ',');
    EXPECT_EQ(cell, std::to_string(frame));
    for (Slot slot : columns) {
      ASSERT_TRUE(std::getline(cells, cell, ','));
      // strtod, exactly rounded like the reader's parsing; clang's libc++ 14 has no from_chars
      // for double.
      const double value = std::strtod(cell.c_str(), nullptr);
      EXPECT_EQ(value, store->signals[slot][frame])
          << "frame " << frame << " slot " << static_cast<int>(slot);
    }
  }
  EXPECT_EQ(frame, 16);
  EXPECT_EQ(test::readWholeFile(csv).back(), '\n');
}

TEST(ConvertCommand, HandsEachConvertedMotionToThePageDrawer) {
  test::TempDir dir;
  const std::string input = dir.write("walk.bvh", testMotionText(16));
  const std::filesystem::path pages = dir.path() / "pages";
  struct Drawn {
    std::string folder, title;
    int frames;
    bool stillMode;
    int g;
  };
  std::vector<Drawn> drawn;
  bool started = false;
  ConverterFeatures features;
  features.startDrawing = [&started] { started = true; };
  features.drawPages = [&drawn](const std::filesystem::path& folder, const std::string& title,
                                const MotionStore& store, bool stillMode, int g) {
    drawn.push_back({folder.string(), title, store.motion.frameCount, stillMode, g});
    return SaveResult{};
  };
  ASSERT_EQ(convert({"--movie", "--g", "7", "--graphs", pages.string(), input}, features).status,
            0);
  EXPECT_TRUE(started);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].folder, pages.string());
  EXPECT_EQ(drawn[0].title, "walk");
  EXPECT_EQ(drawn[0].frames, 16);
  EXPECT_FALSE(drawn[0].stillMode);
  EXPECT_EQ(drawn[0].g, 7);

  // Pictures that cannot be saved fail that input, naming the file and the reason.
  features.drawPages = [](const std::filesystem::path& folder, const std::string&,
                          const MotionStore&, bool, int) {
    return SaveResult{std::make_error_code(std::errc::not_a_directory), folder.string()};
  };
  const CommandRun blocked = convert({"--graphs", input + "/pages", input}, features);
  EXPECT_EQ(blocked.status, 1);
  EXPECT_NE(blocked.err.find(input + "/pages: "), std::string::npos) << blocked.err;

  // A build that cannot draw refuses the option before converting anything.
  const CommandRun unavailable = convert({"--graphs", pages.string(), input});
  EXPECT_EQ(unavailable.status, 2);
  EXPECT_NE(unavailable.err.find("--graphs is not available in this build"), std::string::npos);
  EXPECT_EQ(unavailable.err.find("--graphs DIR"), std::string::npos) << "usage offers --graphs";
}

// Forty inputs, some refused, converted four at a time: every pose file has the bytes it gets when
// the inputs are converted one at a time, and the messages come in input order, refusals between
// the conversions where their inputs stand.
TEST(ConvertCommand, ParallelBatchMatchesOneAtATime) {
  constexpr int INPUTS = 40;
  const struct {
    const char* text;
    int rate;
  } frameTimes[] = {{"0.033333", 30}, {"0.04", 25}, {"0.0416667", 24}, {"0.0666667", 15}};
  test::TempDir dir;
  std::vector<std::string> inputs;
  std::vector<std::string> outputs;  // empty for a refused input
  std::string expectedOut;
  std::string expectedErr;
  int refused = 0;
  int written = 0;  // input files that exist
  for (int i = 0; i < INPUTS; ++i) {
    const std::string name = "take-" + std::to_string(100 + i).substr(1);
    const std::string output = (dir.path() / (name + ".pz2")).string();
    if (i % 8 == 3 || i == INPUTS - 1) {
      const int kind = i / 8 % 4;
      std::string input;
      if (kind == 0) input = (dir.path() / (name + ".bvh")).string();  // never written
      if (kind == 1) input = dir.write(name + ".bvh", testMotionText(14));
      if (kind == 2) input = dir.write(name + ".bvh", "HIERARCHY\nROOT hip\n{\n}\nMOTION\n");
      if (kind == 3) input = dir.write(name + ".bvh", test::TestMotion(20, "0.5").text());
      const char* messages[] = {"BVH FILE CAN NOT OPEN!", "FRAME RANGE ERR",
                                "BVH FILE NOT HUMAN ERR", "FPS RANGE ERR"};
      inputs.push_back(input);
      outputs.emplace_back();
      ++refused;
      if (kind != 0) ++written;
      expectedErr += input + ": " + messages[kind] + "\n";
      continue;
    }
    // Each input differs in length, frame rate and the size of its movement.
    const int frames = 15 + i * 7 % 60;
    const auto& frameTime = frameTimes[i % 4];
    test::TestMotion motion(frames, frameTime.text);
    const double size = 0.5 + 0.13 * i;
    for (int f = 0; f < frames; ++f) {
      const double wave = ((f + i) % 12) - 6.0;
      motion.setRotation(f, Track::chest, 2, 4.0 * size * wave);
      motion.setRotation(f, Track::abdomen, 1, 2.0 * wave);
      motion.setRotation(f, Track::head, 2, -3.0 * size * wave);
      motion.setRotation(f, Track::rThigh, 1, 1.5 * size * wave);
      motion.setRotation(f, Track::hip, 2, 0.5 * f * size);
      motion.setHipPosition(f, 1, 0.3 * size * wave);
    }
    const std::string input = dir.write(name + ".bvh", motion.text());
    inputs.push_back(input);
    outputs.push_back(output);
    ++written;
    expectedOut += input + ": " + std::to_string(frames) + " frames, " +
                   std::to_string(frameTime.rate) + " fps, movie mode -> " + output + "\n";
  }

  const auto convertAll = [&inputs](const char* jobs) {
    std::vector<std::string> arguments{"--movie", "--delay", "7", "-j", jobs};
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    return convert(arguments);
  };
  // The pose files of a run, taken away so that the next run must write its own.
  const auto takeOutputs = [&outputs]() {
    std::vector<std::string> files;
    for (const std::string& output : outputs) {
      files.push_back(output.empty() ? "" : test::readWholeFile(output));
      if (!output.empty()) std::filesystem::remove(output);
    }
    return files;
  };

  const CommandRun oneAtATime = convertAll("1");
  EXPECT_EQ(oneAtATime.status, 1);
  EXPECT_EQ(oneAtATime.out, expectedOut);
  EXPECT_EQ(oneAtATime.err, expectedErr);
  const std::vector<std::string> expectedFiles = takeOutputs();
  std::set<std::string> distinct(expectedFiles.begin(), expectedFiles.end());
  distinct.erase("");
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(INPUTS - refused));

  const CommandRun fourAtATime = convertAll("4");
  EXPECT_EQ(fourAtATime.status, 1);
  EXPECT_EQ(fourAtATime.out, oneAtATime.out);
  EXPECT_EQ(fourAtATime.err, oneAtATime.err);
  const std::vector<std::string> files = takeOutputs();
  for (int i = 0; i < INPUTS; ++i) {
    EXPECT_TRUE(files[i] == expectedFiles[i]) << inputs[i];
  }
  // No file for a refused input, nothing left behind by a worker.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, written);
}

}  // namespace
}  // namespace zev
