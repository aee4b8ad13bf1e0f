#include "cli/convert_command.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
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

// A file in a folder as the converter names a picture in the --graphs folder, and as
// test::folderContents names a file in a folder: with the system's folder separator.
std::string inFolder(std::string_view folder, std::string_view name) {
  return (std::filesystem::path(folder) / name).string();
}

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
      {{"--g", "0x10", a}, "option --g needs a whole number from 1 to 20, not \"0x10\""},
      {{"--fusion"}, "option --fusion needs a value"},
      {{"--movie=yes", a}, "option --movie takes no value"},
      {{"--movie", "--loop=1", a}, "option --loop takes no value"},
      {{"--fast", a}, "unknown option \"--fast\""},
      {{"--fast=3", a}, "unknown option \"--fast\""},
      {{"-o", "x.pz2", a, b}, "option --output takes only one input"},
      {{"--signals", "x.csv", a, b}, "option --signals takes only one input"},
      {{"-j", "0", a}, "option --jobs needs a whole number from 1 to 256, not \"0\""},
      {{"--jobs=two", a}, "option --jobs needs a whole number from 1 to 256, not \"two\""},
      {{}, "no input file"},
      // An empty value is a mistake, also written with "=", where the next argument is no value.
      {{"-o", "", a}, "option --output needs a path, not \"\""},
      {{"--output=", a, b}, "option --output needs a path, not \"\""},
      {{"--signals=", a}, "option --signals needs a path, not \"\""},
      {{"--graphs", "", a}, "option --graphs needs a path, not \"\""},
      {{"--g=", a}, "option --g needs a whole number from 1 to 20, not \"\""},
      {{"-o", "-", "--signals", "-", a},
       "options --output and --signals cannot both write to standard output"},
  };
  for (const auto& [arguments, problem] : cases) {
    const CommandRun run = convert(arguments);
    EXPECT_EQ(run.status, 2) << problem;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("zev-convert: ", 0), 0u);
    EXPECT_NE(run.err.find(problem), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Usage: zev-convert"), std::string::npos);
  }
  EXPECT_EQ(test::folderContents(dir.path()).size(), 2u);
}

// Settings that only shape the movie-mode dynamics change nothing in still mode; the converter
// says so, and converts all the same.
TEST(ConvertCommand, WarnsOfMovieOnlySettingsInStillMode) {
  test::TempDir dir;
  const std::string input = dir.write("walk.bvh", testMotionText(20));
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"--delay", "3"}, "zev-convert: --delay has no effect in still mode\n"},
      {{"--fusion=1", "--accel", "2", "--inertia", "0"},
       "zev-convert: --inertia has no effect in still mode\n"
       "zev-convert: --accel has no effect in still mode\n"
       "zev-convert: --fusion has no effect in still mode\n"},
      {{"--loop"}, "zev-convert: --loop has no effect in still mode\n"},
      {{"--movie", "--delay", "3"}, ""},
      {{"--g", "5", "--no-limit"}, ""},
  };
  for (const auto& [options, warnings] : cases) {
    std::vector<std::string> arguments = options;
    arguments.push_back(input);
    const CommandRun run = convert(arguments);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, warnings);
    EXPECT_NE(run.out.find(" -> "), std::string::npos);
  }
}

// The help states what an input must be, the settings' ranges and the exit codes, and offers
// only what the build can do.
TEST(ConvertCommand, HelpStatesTheRangesAndTheExitCodes) {
  ConverterFeatures everything;
  everything.drawPages = [](const PagePictureRequest&) { return PagePictures{}; };
  ConverterFeatures coreOnly;
  coreOnly.threads = false;
  for (const ConverterFeatures& features : {everything, coreOnly}) {
    const CommandRun run = convert({"--help"}, features);
    EXPECT_EQ(run.status, 0);
    for (const char* part :
         {"15 to 500 frames at 12 to 60 frames per second", "G coefficient, 1 to 20 (default 10)",
          "Delay time, 0 to 10 (default 5; movie mode only)", "  --loop ",
          "Exit status: 0 when every input was converted; 1 when", "2 for a usage error"}) {
      EXPECT_NE(run.out.find(part), std::string::npos) << part;
    }
    const bool all = static_cast<bool>(features.drawPages);
    EXPECT_EQ(run.out.find("--graphs DIR") != std::string::npos, all);
    EXPECT_EQ(run.out.find("-j, --jobs N") != std::string::npos, all);
  }
}

// A loop pass says on a second line how it took the cycle, and advises a closing frame where the
// cycle travels without one.
TEST(ConvertCommand, ConvertsACycleAsALoopAndSaysHow) {
  test::TempDir dir;
  struct Case {
    bool travels;
    bool closingFrame;
    std::string loopLine;
    bool note;
  };
  const Case cases[] = {
      {true, true, "  loop: 40 frames, the last repeats the first\n", false},
      {true, false, "  loop: 40 frames\n", true},
      {false, false, "  loop: 40 frames\n", false},
  };
  for (const Case& c : cases) {
    const std::string input =
        dir.write("cycle.bvh", test::cyclicMotion(40, 1, c.travels, c.closingFrame).text());
    const std::string output = (dir.path() / "cycle.pz2").string();
    const CommandRun run = convert({"--movie", "--loop", input});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, input + ": " + std::to_string(40 + c.closingFrame) +
                           " frames, 30 fps, movie mode -> " + output + "\n" + c.loopLine);
    EXPECT_EQ(run.err, c.note ? input + ": note: " + std::string(ESTIMATED_SEAM_NOTE) + "\n" : "");
    EXPECT_EQ(test::readWholeFile(output),
              dialogPoseFile(input, {.stillMode = false, .loop = true}));
  }
}

TEST(ConvertCommand, ReportsEachFailedInputWithWhereAndWhyAndConvertsTheRest) {
  test::TempDir dir;
  const std::string missing = (dir.path() / "missing.bvh").string();
  const std::string notHuman = dir.write("robot.bvh", "HIERARCHY\nROOT hip\n{\n}\nMOTION\n");
  const std::string shortMotion = dir.write("short.bvh", testMotionText(14));
  const std::string good = dir.write("good.bvh", testMotionText(20));

  const CommandRun run = convert({missing, notHuman, shortMotion, good});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            missing + ": BVH FILE CAN NOT OPEN!\n  No such file or directory\n" + notHuman +
                ": BVH FILE NOT HUMAN ERR\n  line 5: the file ends without JOINT abdomen, "
                "chest, neck, head, rCollar, lCollar, rThigh, rShin, lThigh, lShin\n" +
                shortMotion + ": FRAME RANGE ERR\n  line 63: Frames: 14 is outside 15 to 500\n");
  EXPECT_EQ(run.out, good + ": 20 frames, 30 fps, still mode -> " +
                         (dir.path() / "good.pz2").string() + "\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "robot.pz2"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "short.pz2"));

  const std::string unreachable = (dir.path() / "no" / "such.pz2").string();
  const CommandRun unsaved = convert({"-o", unreachable, good});
  EXPECT_EQ(unsaved.status, 1);
  EXPECT_EQ(unsaved.err,
            good + ": PZ2 FILE SAVE ERR\n  " + unreachable + ": No such file or directory\n");
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

// Standard output takes the pose file or the signals; the status line then goes to standard
// error, so that the file stays clean.
TEST(ConvertCommand, WritesOneOutputToStandardOutput) {
  test::TempDir dir;
  const std::string input = dir.write("walk.bvh", testMotionText(16));
  const std::string csv = (dir.path() / "walk.csv").string();
  const std::string pose = (dir.path() / "walk.pz2").string();
  ASSERT_EQ(convert({"--signals", csv, "-o", pose, input}).status, 0);
  const std::string expectedCsv = test::readWholeFile(csv);
  const std::string expectedPose = test::readWholeFile(pose);
  const std::string status = input + ": 16 frames, 30 fps, still mode -> ";
  std::filesystem::remove(csv);
  std::filesystem::remove(pose);

  const CommandRun poseOut = convert({"-o", "-", input});
  EXPECT_EQ(poseOut.status, 0);
  EXPECT_TRUE(poseOut.out == expectedPose);
  EXPECT_EQ(poseOut.err, status + "standard output\n");

  const CommandRun signalsOut = convert({"--signals", "-", "-o", pose, input});
  EXPECT_EQ(signalsOut.status, 0);
  EXPECT_EQ(signalsOut.out, expectedCsv);
  EXPECT_EQ(signalsOut.err, status + pose + "\n");
  EXPECT_TRUE(test::readWholeFile(pose) == expectedPose);
  EXPECT_EQ(test::folderContents(dir.path()).size(), 2u);
}

// An output is never written over an input of the run, and of two outputs that are one file only
// the first (in input order) is written; the same with four workers. The refused input writes
// nothing at all and says which output would have written which file.
TEST(ConvertCommand, RefusesOutputsThatWouldWriteAnInputOrAnEarlierOutput) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;  // run in the scratch folder's path; "@" stands for it
    std::string expectedErr;
    std::vector<std::string> written;  // the files the run adds
    bool throughLink = false;          // where the system makes no links, nothing to check
  } cases[] = {
      {"the default output is the input",
       {"@/m.pz2"},
       "@/m.pz2: PZ2 FILE SAVE ERR\n  @/m.pz2: an input of this run\n",
       {}},
      {"-o names the input",
       {"-o", "@/walk.bvh", "@/walk.bvh"},
       "@/walk.bvh: PZ2 FILE SAVE ERR\n  @/walk.bvh: an input of this run\n",
       {}},
      {"--signals names the input",
       {"--signals", "@/walk.bvh", "@/walk.bvh"},
       "@/walk.bvh: PZ2 FILE SAVE ERR\n  @/walk.bvh: an input of this run\n",
       {}},
      {"a picture is a link to the input",
       {"--graphs", "@/pages", "@/walk.bvh"},
       "@/walk.bvh: PZ2 FILE SAVE ERR\n  " + inFolder("@/pages", "walk-ring.png") +
           ": the same file as the input @/walk.bvh\n",
       {},
       true},
      {"-o and --signals name one file",
       {"-o", "@/x", "--signals", "@/x", "@/walk.bvh"},
       "@/walk.bvh: PZ2 FILE SAVE ERR\n  @/x: already an output of @/walk.bvh\n",
       {}},
      {"two titles, one pose file",
       {"@/walk.BVH", "@/walk.bvh", "-j", "4"},
       "@/walk.bvh: PZ2 FILE SAVE ERR\n  @/walk.pz2: already an output of @/walk.BVH\n",
       {"walk.pz2"}},
      {"two folders, one title, one picture folder",
       {"--graphs", "@/out", "-j", "4", "@/walk.bvh", "@/take/walk.bvh"},
       "@/take/walk.bvh: PZ2 FILE SAVE ERR\n  " + inFolder("@/out", "walk-chest.png") +
           ": already an output of @/walk.bvh\n",
       {"walk.pz2", "out", inFolder("out", "walk-chest.png"), inFolder("out", "walk-hair.png"),
        inFolder("out", "walk-ring.png"), inFolder("out", "walk-report.png")}},
  };
  ConverterFeatures features;
  features.drawPages = [](const PagePictureRequest& request) {
    const std::string title(request.title);
    return PagePictures{title + " chest", title + " hair", title + " ring", title + " report"};
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const std::string motion = testMotionText(20);
    const std::string input = dir.write("walk.bvh", motion);
    dir.write("walk.BVH", motion);
    dir.write("m.pz2", motion);
    std::filesystem::create_directory(dir.path() / "take");
    dir.write("take/walk.bvh", motion);
    std::filesystem::create_directory(dir.path() / "pages");
    std::error_code noLinks;
    std::filesystem::create_symlink(input, dir.path() / "pages" / "walk-ring.png", noLinks);
    if (noLinks && c.throughLink) continue;
    const auto before = test::folderContents(dir.path());
    const auto inScratch = [&dir](std::string text) {
      for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + 1)) {
        text.replace(at, 1, dir.path().string());
      }
      return text;
    };
    std::vector<std::string> arguments;
    for (const std::string& argument : c.arguments) arguments.push_back(inScratch(argument));

    const CommandRun run = convert(arguments, features);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, inScratch(c.expectedErr));
    auto after = test::folderContents(dir.path());
    for (const std::string& file : c.written) {
      EXPECT_EQ(after.erase(file), 1u) << file;
    }
    EXPECT_EQ(after, before);
  }
}

// When one output of an input cannot be saved, none is: the files that were there stay as they
// were, no temporary file is left, and the message names the output and the reason.
TEST(ConvertCommand, WritesAllOutputsOfAnInputOrNone) {
  const struct {
    const char* name;
    std::vector<std::string> options;
    std::string detail;  // "@" stands for the scratch folder
    bool blankReport = false;
  } cases[] = {
      {"signals into a missing folder",
       {"--signals", "@/missing/walk.csv"},
       "@/missing/walk.csv: No such file or directory"},
      // The standard libraries disagree on the reason a folder cannot be made where a file
      // stands ("Not a directory", "File exists"); the message gives whichever the system gives.
      {"pictures where a file stands", {"--graphs", "@/walk.csv"}, "@/walk.csv: %folderReason"},
      {"a picture onto a folder",
       {"--graphs", "@/pages"},
       inFolder("@/pages", "walk-hair.png") + ": Is a directory"},
      {"a page that could not be drawn",
       {"--graphs", "@/blank"},
       inFolder("@/blank", "walk-report.png") + ": the page could not be drawn",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const std::string input = dir.write("walk.bvh", testMotionText(20));
    dir.write("walk.pz2", "old pose");
    dir.write("walk.csv", "old signals");
    std::filesystem::create_directories(dir.path() / "pages" / "walk-hair.png");
    const auto before = test::folderContents(dir.path());
    const auto inScratch = [&dir](std::string text) {
      const std::size_t at = text.find('@');
      return at == std::string::npos ? text : text.replace(at, 1, dir.path().string());
    };
    ConverterFeatures features;
    features.drawPages = [&c](const PagePictureRequest&) {
      return PagePictures{"chest", "hair", "ring", c.blankReport ? "" : "report"};
    };
    std::vector<std::string> arguments;
    for (const std::string& option : c.options) arguments.push_back(inScratch(option));
    arguments.push_back(input);

    const CommandRun run = convert(arguments, features);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    std::string detail = inScratch(c.detail);
    if (const std::size_t at = detail.find("%folderReason"); at != std::string::npos) {
      std::error_code reason;
      std::filesystem::create_directories(dir.path() / "walk.csv", reason);
      detail.replace(at, std::string_view("%folderReason").size(), reason.message());
    }
    EXPECT_EQ(run.err, input + ": PZ2 FILE SAVE ERR\n  " + detail + "\n");
    // The picture folder that the run made for nothing is gone again.
    EXPECT_EQ(test::folderContents(dir.path()), before);
  }
}

TEST(ConvertCommand, SavesThePagePicturesWithTheInputsOtherOutputs) {
  test::TempDir dir;
  const std::string input = dir.write("walk.bvh", testMotionText(16));
  const std::filesystem::path pages = dir.path() / "pages";
  struct Drawn {
    std::string title;
    int frames;
    bool stillMode;
    int g;
  };
  std::vector<Drawn> drawn;
  bool started = false;
  ConverterFeatures features;
  features.startDrawing = [&started] {
    started = true;
    return std::string();
  };
  features.drawPages = [&drawn](const PagePictureRequest& request) {
    drawn.push_back({std::string(request.title), request.store.motion.frameCount, request.stillMode,
                     request.gCoefficient});
    return PagePictures{"C", "H", "R", "report"};
  };
  ASSERT_EQ(convert({"--movie", "--g", "7", "--graphs", pages.string(), input}, features).status,
            0);
  EXPECT_TRUE(started);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].title, "walk");
  EXPECT_EQ(drawn[0].frames, 16);
  EXPECT_FALSE(drawn[0].stillMode);
  EXPECT_EQ(drawn[0].g, 7);
  EXPECT_EQ(test::folderContents(pages),
            (std::map<std::string, std::string>{{"walk-chest.png", "C"},
                                                {"walk-hair.png", "H"},
                                                {"walk-ring.png", "R"},
                                                {"walk-report.png", "report"}}));

  // A build that cannot draw refuses the option before converting anything.
  const CommandRun unavailable = convert({"--graphs", (dir.path() / "other").string(), input});
  EXPECT_EQ(unavailable.status, 2);
  EXPECT_NE(unavailable.err.find("--graphs is not available in this build"), std::string::npos);
  EXPECT_EQ(unavailable.err.find("--graphs DIR"), std::string::npos) << "usage offers --graphs";
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "other"));

  // Drawing that cannot start (its module missing) says why and converts nothing.
  features.startDrawing = [] { return std::string("no module"); };
  const std::filesystem::path pose = dir.path() / "walk-undrawn.pz2";
  const CommandRun undrawn = convert(
      {"--graphs", (dir.path() / "undrawn").string(), "-o", pose.string(), input}, features);
  EXPECT_EQ(undrawn.status, 1);
  EXPECT_EQ(undrawn.err, "zev-convert: --graphs cannot draw: no module\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "undrawn"));
  EXPECT_FALSE(std::filesystem::exists(pose));
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
      const char* messages[] = {
          "BVH FILE CAN NOT OPEN!\n  No such file or directory",
          "FRAME RANGE ERR\n  line 63: Frames: 14 is outside 15 to 500",
          ("BVH FILE NOT HUMAN ERR\n  line 5: the file ends without JOINT abdomen, chest, neck, "
           "head, rCollar, lCollar, rThigh, rShin, lThigh, lShin"),
          "FPS RANGE ERR\n  line 64: Frame Time 0.5 is 2 fps, outside 12 to 60"};
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
