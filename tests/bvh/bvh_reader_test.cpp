#include "bvh/bvh_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <bit>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "store/motion_store.h"
#include "support/test_motion.h"
#include "support/test_support.h"

namespace zev {
namespace {

using test::TestMotion;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

// Every motion line gets further values, for files that insert joints into the hierarchy.
std::string withFurtherValues(std::string text) {
  for (std::size_t i = text.find('\n', text.find("Frame Time:")); i != std::string::npos;
       i = text.find('\n', i + 7)) {
    text.insert(i, " 0 0 0");
  }
  return text;
}

// Channel starts of the test figure: abdomen is the first JOINT, lShin the tenth.
constexpr std::array<int, TABLE_JOINT_COUNT> TEST_FIGURE_STARTS{6,  9,  12, 15, 18,
                                                                21, 24, 27, 30, 33};

// One reader and the motion it fills, fresh for every test.
class BvhReaderTest : public ::testing::Test {
 protected:
  BvhReadResult read(const std::string& text) { return reader.readBytes(text, *motion); }
  BvhReadStatus readText(const std::string& text) { return read(text).status; }
  BvhReadStatus readFile(const std::filesystem::path& path) {
    return reader.readFile(path, *motion).status;
  }
  void freshMotion() { motion = std::make_unique<Motion>(); }

  BvhReader reader;
  std::unique_ptr<Motion> motion = std::make_unique<Motion>();
};

TEST(KeywordMatch, ComparesOnlyTheFirstHalfAfterTheFirstCharacter) {
  EXPECT_TRUE(keywordMatch("ab", ""));
  EXPECT_TRUE(keywordMatch("hip", "xi"));
  EXPECT_FALSE(keywordMatch("hip", "hop"));
  EXPECT_TRUE(keywordMatch("JOINT", "xOIzz"));
  EXPECT_FALSE(keywordMatch("JOINT", "JO"));  // beyond the line never matches
  EXPECT_TRUE(keywordMatch("rThigh", "lThumb1"));
  EXPECT_TRUE(keywordMatch("Frames:", "Framez"));
  EXPECT_FALSE(keywordMatch("Frames:", "frAmes:"));
  EXPECT_TRUE(keywordMatch("Frame Time:", "Frame Tx"));
  EXPECT_FALSE(keywordMatch("Frame Time:", "Frame_Time:"));
  EXPECT_TRUE(keywordMatch("Right Collar", "Right Cxxxx"));
}

TEST(BvhReadMessage, GivesTheDialogTexts) {
  EXPECT_EQ(bvhReadMessage(BvhReadStatus::Ok), "");
  EXPECT_EQ(bvhReadMessage(BvhReadStatus::CannotOpen), "BVH FILE CAN NOT OPEN!");
  EXPECT_EQ(bvhReadMessage(BvhReadStatus::ReadError), "BVH FILE READ ERR");
  EXPECT_EQ(bvhReadMessage(BvhReadStatus::NotPoserFormat), "BVH FILE NOT POSER FORMAT");
  EXPECT_EQ(bvhReadMessage(BvhReadStatus::NotHuman), "BVH FILE NOT HUMAN ERR");
  EXPECT_EQ(bvhReadMessage(BvhReadStatus::FpsRange), "FPS RANGE ERR");
  EXPECT_EQ(bvhReadMessage(BvhReadStatus::FrameRange), "FRAME RANGE ERR");
}

TEST_F(BvhReaderTest, ReadsEveryTrackChannelAndHipPosition) {
  TestMotion written(20);
  for (int f = 0; f < 20; ++f) {
    for (int track = 0; track < JOINT_TRACK_COUNT; ++track) {
      for (int channel = 1; channel <= 3; ++channel) {
        written.setRotation(f, static_cast<Track>(track), channel,
                            f * 1.5 + track * 10 + channel * 0.25);
      }
    }
    for (int axis = 0; axis < 3; ++axis) written.setHipPosition(f, axis, -f - axis * 100.125);
  }
  const BvhReadResult result = read(written.text());
  ASSERT_EQ(result.status, BvhReadStatus::Ok);
  EXPECT_TRUE(result.ok());
  EXPECT_EQ(result.message(), "");
  EXPECT_EQ(result.detail.view(), "");
  EXPECT_EQ(motion->frameCount, 20);
  EXPECT_DOUBLE_EQ(motion->frameTime, 0.033333);
  EXPECT_EQ(motion->channelStart, TEST_FIGURE_STARTS);
  for (int f = 0; f < 20; ++f) {
    for (int track = 0; track < JOINT_TRACK_COUNT; ++track) {
      for (int channel = 1; channel <= 3; ++channel) {
        EXPECT_EQ(
            motion->tracks[track][f][channel - 1],
            written.value(f, TestMotion::valueIndex(static_cast<Track>(track)) + channel - 1));
      }
    }
    EXPECT_EQ(motion->hipXPos[f], written.value(f, 0));
    EXPECT_EQ(motion->hipYPos[f], written.value(f, 1));
    EXPECT_EQ(motion->hipZPos[f], written.value(f, 2));
  }
}

TEST_F(BvhReaderTest, FileAndBufferReadTheSame) {
  TestMotion written(15);
  written.setRotation(3, Track::chest, 2, 12.5);
  const test::TempDir dir;
  const std::string path = dir.write("walk.bvh", written.text());
  ASSERT_EQ(readFile(path), BvhReadStatus::Ok);
  EXPECT_EQ((*motion)[Track::chest][3][1], 12.5);
  freshMotion();
  ASSERT_EQ(readText(written.text()), BvhReadStatus::Ok);
  EXPECT_EQ((*motion)[Track::chest][3][1], 12.5);
}

TEST_F(BvhReaderTest, LineEndsAndSeparatorsReadAlike) {
  TestMotion written(16);
  written.setRotation(5, Track::head, 1, -33.25);
  std::string crlf;
  for (char c : written.text()) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::string tabs = written.text();
  std::string pairs = written.text();
  const std::size_t motionStart = tabs.find("Frame Time:");
  for (std::size_t i = tabs.find('\n', motionStart); i < tabs.size(); ++i) {
    if (tabs[i] == ' ') tabs[i] = '\t';
  }
  for (std::size_t i = pairs.find('\n', motionStart); i < pairs.size(); ++i) {
    if (pairs[i] == ' ') pairs.insert(i++, " ");
  }
  std::string noFinalLineEnd = written.text();
  noFinalLineEnd.pop_back();
  for (const std::string& text : {crlf, tabs, pairs, noFinalLineEnd}) {
    freshMotion();
    ASSERT_EQ(readText(text), BvhReadStatus::Ok);
    EXPECT_EQ((*motion)[Track::head][5][0], -33.25);
    EXPECT_EQ(motion->channelStart, TEST_FIGURE_STARTS);
  }
}

// A carriage return inside a motion line is no separator: the value before it ends there, and the
// one after it is passed over with it, as if it were not there.
TEST_F(BvhReaderTest, CarriageReturnInsideAMotionLineHidesTheNextValue) {
  const std::string text = TestMotion(15).text();
  const std::size_t lastLine = text.rfind('\n', text.size() - 2) + 1;
  std::string line;
  for (int v = 0; v < TestMotion::VALUES_PER_LINE; ++v) line += (v ? " " : "") + std::to_string(v);
  const std::size_t hidden = line.find(" 20 ");
  const std::string withReturn = line.substr(0, hidden) + "\r" + line.substr(hidden + 1);
  const std::string without = line.substr(0, hidden) + line.substr(hidden + 3);
  ASSERT_EQ(readText(text.substr(0, lastLine) + without + "\n"), BvhReadStatus::Ok);
  const auto expected = std::make_unique<Motion>(*motion);
  EXPECT_EQ((*motion)[Track::lShin][14][2], 36.0);
  freshMotion();
  ASSERT_EQ(readText(text.substr(0, lastLine) + withReturn + "\n"), BvhReadStatus::Ok);
  EXPECT_TRUE(motion->tracks == expected->tracks);
}

TEST_F(BvhReaderTest, RootLineIsFoundByItsSeventhCharacter) {
  const std::string text = TestMotion(15).text();
  EXPECT_EQ(readText(replaced(text, "ROOT hip", "ROOT Hips")), BvhReadStatus::Ok);
  EXPECT_EQ(readText(replaced(text, "HIERARCHY\n", "")), BvhReadStatus::Ok);
  EXPECT_EQ(readText(replaced(text, "ROOT hip", "ROOT pelvis")), BvhReadStatus::NotPoserFormat);
  EXPECT_EQ(readText(replaced(text, "HIERARCHY\n", "HIERARCHY\n\n\n")),
            BvhReadStatus::NotPoserFormat);
  EXPECT_EQ(readText(""), BvhReadStatus::ReadError);
  EXPECT_EQ(readText("HIERARCHY\n"), BvhReadStatus::ReadError);
}

// The user's guide states the reader's rule with these lines.
TEST_F(BvhReaderTest, TheGuidesRootAndJointLines) {
  const std::string text = TestMotion(15).text();
  const struct {
    const char* from;
    const char* to;
    BvhReadStatus status;
  } cases[] = {
      {"ROOT hip", "ROOT hips", BvhReadStatus::Ok},
      {"ROOT hip", "ROOT Bip01", BvhReadStatus::Ok},
      {"ROOT hip", "ROOT  hip", BvhReadStatus::NotPoserFormat},
      {"JOINT chest", "JOINT_chest", BvhReadStatus::Ok},
      {"JOINT chest", "JOINT\tchest", BvhReadStatus::Ok},
      {"JOINT chest", "JOINT  chest", BvhReadStatus::NotHuman},
  };
  for (const auto& c : cases) EXPECT_EQ(readText(replaced(text, c.from, c.to)), c.status) << c.to;
}

TEST_F(BvhReaderTest, JointsAreMatchedByTheirFullNameInAnyOrder) {
  const std::string text = withFurtherValues(TestMotion(15).text());
  // A hand joint between the collars and the thighs: its compared characters equal "rThigh"'s.
  ASSERT_EQ(readText(replaced(text, "\tJOINT rThigh", "\tJOINT lThumb1\n\t{\n\t}\n\tJOINT rThigh")),
            BvhReadStatus::Ok);
  EXPECT_EQ(motion->channelStart[6], 27);  // rThigh after the extra JOINT
  EXPECT_EQ(motion->channelStart[5], 21);

  // Left side first: each side's tracks still come from its own joints.
  std::string leftFirst = replaced(text, "JOINT rCollar", "JOINT XCollar");
  leftFirst = replaced(leftFirst, "JOINT lCollar", "JOINT rCollar");
  leftFirst = replaced(leftFirst, "JOINT XCollar", "JOINT lCollar");
  ASSERT_EQ(readText(leftFirst), BvhReadStatus::Ok);
  EXPECT_EQ(motion->channelStart[4], 21);
  EXPECT_EQ(motion->channelStart[5], 18);

  // The long names of the collars are taken as well.
  ASSERT_EQ(readText(replaced(text, "JOINT rCollar", "JOINT Right Collar")), BvhReadStatus::Ok);
  EXPECT_EQ(motion->channelStart[4], 18);
}

TEST_F(BvhReaderTest, FigureWithoutATableJointIsNotHuman) {
  const std::string text = TestMotion(15).text();
  EXPECT_EQ(readText(replaced(text, "JOINT neck", "JOINT neckDummy")), BvhReadStatus::NotHuman);
  EXPECT_EQ(readText(replaced(text, "JOINT abdomen", "JOINT  abdomen")), BvhReadStatus::NotHuman);
  EXPECT_EQ(readText(replaced(text, "JOINT lShin", "JOINT lshin")), BvhReadStatus::NotHuman);
  EXPECT_EQ(readText(replaced(text, "JOINT head", "JOINT headX")), BvhReadStatus::NotHuman);
}

TEST_F(BvhReaderTest, FrameCountMustLieWithinRange) {
  for (const auto& [frames, expected] :
       {std::pair{14, BvhReadStatus::FrameRange}, std::pair{15, BvhReadStatus::Ok},
        std::pair{500, BvhReadStatus::Ok}, std::pair{501, BvhReadStatus::FrameRange}}) {
    freshMotion();
    motion->frameCount = 77;
    const BvhReadResult result = read(TestMotion(frames).text());
    EXPECT_EQ(result.status, expected) << frames;
    // A refused count is reported, and the motion stays as it was.
    EXPECT_EQ(result.frames, frames);
    EXPECT_EQ(motion->frameCount, expected == BvhReadStatus::Ok ? frames : 77);
  }
  const std::string text = TestMotion(15).text();
  EXPECT_EQ(readText(replaced(text, "Frames: 15", "Frames:\t15")), BvhReadStatus::Ok);
  // Without a separator the number is read from its second digit on.
  EXPECT_EQ(readText(replaced(text, "Frames: 15", "Frames:15")), BvhReadStatus::FrameRange);
  // Never wrapped into range.
  EXPECT_EQ(readText(replaced(text, "Frames: 15", "Frames: 4294967311")),
            BvhReadStatus::FrameRange);
  EXPECT_EQ(readText(replaced(text, "Frames: 15", "Frames: -4294967281")),
            BvhReadStatus::FrameRange);
  EXPECT_EQ(readText(replaced(text, "Frames: 15", "Frames: 99999999999999999999999")),
            BvhReadStatus::FrameRange);
}

TEST_F(BvhReaderTest, FrameRateMustRoundToTwelveToSixty) {
  for (const auto& [frameTime, expected] :
       {std::pair{"0.033333", BvhReadStatus::Ok}, std::pair{"0.0869565", BvhReadStatus::Ok},
        std::pair{"0.09", BvhReadStatus::FpsRange}, std::pair{"0.0166", BvhReadStatus::Ok},
        std::pair{"0.0165", BvhReadStatus::FpsRange}, std::pair{"0", BvhReadStatus::FpsRange},
        std::pair{"-0.03", BvhReadStatus::FpsRange}, std::pair{"nan", BvhReadStatus::FpsRange},
        std::pair{"inf", BvhReadStatus::FpsRange}, std::pair{"0x1p-5", BvhReadStatus::FpsRange},
        std::pair{"3.3333e-2", BvhReadStatus::Ok}, std::pair{"1e999", BvhReadStatus::FpsRange}}) {
    EXPECT_EQ(readText(TestMotion(15, frameTime).text()), expected) << frameTime;
  }
}

TEST_F(BvhReaderTest, HeaderMustHoldFramesAndFrameTime) {
  const std::string text = TestMotion(15).text();
  EXPECT_EQ(readText(text.substr(0, text.find("Frames:"))), BvhReadStatus::ReadError);
  EXPECT_EQ(readText(replaced(text, "Frame Time:", "Frame_Time:")), BvhReadStatus::ReadError);
  EXPECT_EQ(readText(text.substr(0, text.find("Frame Time:"))), BvhReadStatus::ReadError);
}

TEST_F(BvhReaderTest, MotionLinesMustBeCompleteAndHoldAFurtherValue) {
  const std::string text = TestMotion(15).text();
  // One motion line too few.
  EXPECT_EQ(readText(text.substr(0, text.rfind('\n', text.size() - 2) + 1)),
            BvhReadStatus::ReadError);
  // The last line stops right after lShin's third value, with and without a trailing blank.
  const std::size_t lastLine = text.rfind('\n', text.size() - 2) + 1;
  std::string shortLine = text.substr(0, lastLine);
  for (int value = 0; value < 36; ++value) shortLine += value ? " 0.0000" : "0.0000";
  EXPECT_EQ(readText(shortLine + "\n"), BvhReadStatus::FpsRange);
  EXPECT_EQ(readText(shortLine + " \n"), BvhReadStatus::FpsRange);
  EXPECT_EQ(readText(shortLine + " 1\n"), BvhReadStatus::Ok);
  EXPECT_EQ(readText(shortLine + " 1"), BvhReadStatus::Ok);
}

TEST_F(BvhReaderTest, ValuesAreReadFromTheirFirstTenCharacters) {
  std::string text = TestMotion(15).text();
  const std::size_t firstLine = text.find('\n', text.find("Frame Time:")) + 1;
  // The hip's x position, then its y and z.
  text.replace(firstLine, 20, "-123.456789 1e999 -3");
  ASSERT_EQ(readText(text), BvhReadStatus::Ok);
  EXPECT_EQ(motion->hipXPos[0], -123.45678);
  EXPECT_TRUE(std::isinf(motion->hipYPos[0]));
  EXPECT_EQ(motion->hipZPos[0], -3.0);
}

TEST_F(BvhReaderTest, NumbersFollowOnlyTheDecimalGrammar) {
  std::string text = TestMotion(15).text();
  const std::size_t firstLine = text.find('\n', text.find("Frame Time:")) + 1;
  text.replace(firstLine, 20, "inf nan 0x10 +5. .25 1e 7e-2 1e-999 ");
  ASSERT_EQ(readText(text), BvhReadStatus::Ok);
  EXPECT_EQ(motion->hipXPos[0], 0.0);
  EXPECT_EQ(motion->hipYPos[0], 0.0);
  EXPECT_EQ(motion->hipZPos[0], 0.0);  // "0x10" reads as 0
  EXPECT_EQ((*motion)[Track::hip][0][0], 5.0);
  EXPECT_EQ((*motion)[Track::hip][0][1], 0.25);
  EXPECT_EQ((*motion)[Track::hip][0][2], 1.0);
  EXPECT_EQ(motion->channelStart[0], 6);
  EXPECT_EQ((*motion)[Track::abdomen][0][0], 0.07);
  EXPECT_EQ((*motion)[Track::abdomen][0][1], 0.0);
}

// Values of every shape, cut at ten characters or not, after one or two blanks or tabs: each reads
// as the C library reads the ten characters from where the reader stands, to the last bit. After
// two separators the reader stands on the second. Lines of three kinds: separators at random,
// single separators only (a line may begin with one), and values of seven characters with two
// separators where a line's 64th character meets its 65th.
TEST_F(BvhReaderTest, MotionValuesReadAsTheirDecimalTextToTheLastBit) {
  std::mt19937 random(21);
  const auto pick = [&random](int below) {
    return std::uniform_int_distribution<int>(0, below - 1)(random);
  };
  const auto digits = [&](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + pick(10));
    return text;
  };
  const auto token = [&] {
    std::string text = std::string(pick(3) == 0    ? "-"
                                   : pick(20) == 0 ? "+"
                                                   : "") +
                       digits(pick(10));
    if (pick(4) != 0) text += "." + digits(pick(10));
    if (pick(20) == 0) text += std::string(pick(2) ? "e" : "E-") + digits(pick(3));
    return text.empty() ? digits(1) : text;
  };
  const std::string header = TestMotion(MAX_FRAMES).text();
  const std::string motionStart =
      header.substr(0, header.find('\n', header.find("Frame Time:")) + 1);
  for (int file = 0; file < 4; ++file) {
    std::string text = motionStart;
    std::vector<std::array<std::string, TestMotion::VALUES_PER_LINE>> written(MAX_FRAMES);
    for (int f = 0; f < MAX_FRAMES; ++f) {
      auto& line = written[static_cast<std::size_t>(f)];
      const auto separator = [&] { return std::string(pick(2) ? " " : "\t"); };
      const std::size_t doubled = 8 * (1 + pick(3)) - 1;  // its separator stands at 63, 127 or 191
      for (std::size_t i = 0; i < line.size(); ++i) {
        if (f % 3 == 0) {
          line[i] = (pick(8) == 0 ? separator() : "") + token();
        } else if (f % 3 == 1) {
          line[i] = (i == 0 && pick(2) == 0 ? separator() : "") + token();
        } else {
          line[i] = (i == doubled + 1 ? separator() : "") + digits(1) + "." + digits(5);
        }
        text += (i == 0 ? "" : separator()) + line[i];
      }
      text += '\n';
    }
    ASSERT_EQ(readText(text), BvhReadStatus::Ok);
    const auto expect = [&](double read, int frame, int index) {
      const std::string shown = written[frame][index].substr(0, 10);
      // Nothing readable gives 0, where some C libraries give a negative 0 after a minus sign.
      std::size_t digit = shown.find_first_not_of(" \t+-");
      if (digit < shown.size() && shown[digit] == '.') ++digit;
      const bool readable =
          digit < shown.size() && std::isdigit(static_cast<unsigned char>(shown[digit]));
      const double expected = readable ? std::strtod(shown.c_str(), nullptr) : 0.0;
      ASSERT_EQ(std::bit_cast<std::uint64_t>(read), std::bit_cast<std::uint64_t>(expected))
          << shown;
    };
    for (int f = 0; f < MAX_FRAMES; ++f) {
      expect(motion->hipXPos[f], f, 0);
      expect(motion->hipYPos[f], f, 1);
      expect(motion->hipZPos[f], f, 2);
      for (int t = 0; t < JOINT_TRACK_COUNT; ++t) {
        for (int m = 0; m < CHANNELS_PER_JOINT; ++m) {
          expect(motion->tracks[t][f][m], f, TestMotion::valueIndex(static_cast<Track>(t)) + m);
        }
      }
    }
  }
}

TEST_F(BvhReaderTest, FailedReadLeavesTheMotionAsItWas) {
  TestMotion first(20);
  first.setRotation(4, Track::chest, 1, 42.0);
  first.setHipPosition(19, 2, 7.5);
  ASSERT_EQ(readText(first.text()), BvhReadStatus::Ok);
  const auto before = std::make_unique<Motion>(*motion);

  TestMotion second(30, "0.04");
  second.setRotation(4, Track::chest, 1, -1.0);
  const std::string complete = second.text();
  const std::string text = complete.substr(0, complete.size() - 100);  // the last line ends early
  EXPECT_EQ(readText(text), BvhReadStatus::FpsRange);
  EXPECT_EQ(readText(text.substr(0, text.rfind('\n'))), BvhReadStatus::ReadError);
  EXPECT_EQ(readText(replaced(complete, "JOINT abdomen", "JOINT abdomen\n\tJOINT lEye")),
            BvhReadStatus::FpsRange);
  EXPECT_EQ(readText(replaced(text, "JOINT chest", "JOINT chestX")), BvhReadStatus::NotHuman);
  EXPECT_EQ(readText(TestMotion(15, "0.5").text()), BvhReadStatus::FpsRange);

  EXPECT_EQ(motion->frameCount, 20);
  EXPECT_EQ(motion->frameTime, before->frameTime);
  EXPECT_EQ(motion->channelStart, before->channelStart);
  EXPECT_TRUE(motion->tracks == before->tracks);
  EXPECT_EQ(motion->hipZPos, before->hipZPos);
}

TEST_F(BvhReaderTest, ShorterMotionKeepsTheLongerOnesLaterFrames) {
  TestMotion longer(40);
  longer.setRotation(30, Track::neck, 3, 9.0);
  ASSERT_EQ(readText(longer.text()), BvhReadStatus::Ok);
  ASSERT_EQ(readText(TestMotion(15).text()), BvhReadStatus::Ok);
  EXPECT_EQ(motion->frameCount, 15);
  EXPECT_EQ((*motion)[Track::neck][30][2], 9.0);
}

TEST_F(BvhReaderTest, BadFilesGiveAMessageNotACrash) {
  const test::TempDir dir;
  EXPECT_EQ(readFile(dir.path() / "missing.bvh"), BvhReadStatus::CannotOpen);
  EXPECT_EQ(readFile(dir.path()), BvhReadStatus::CannotOpen);
  EXPECT_EQ(readFile("/dev/zero"), BvhReadStatus::CannotOpen);
  EXPECT_EQ(readFile(dir.write("empty.bvh", "")), BvhReadStatus::ReadError);

  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  EXPECT_EQ(readFile(dir.write("garbage.bvh", garbage)), BvhReadStatus::NotPoserFormat);
  EXPECT_EQ(readText(std::string(20000, '\0')), BvhReadStatus::NotPoserFormat);

  const std::string text = TestMotion(15).text();
  const std::string longLine(25000, 'x');
  // A long header line arrives in pieces; the JOINT at its end is still found and counted.
  const std::string longHeader = replaced(text, "\tJOINT chest", longLine + " JOINT chest");
  ASSERT_EQ(readText(longHeader), BvhReadStatus::Ok);
  EXPECT_EQ(motion->channelStart[1], 9);
  const std::size_t lastLine = text.rfind('\n', text.size() - 2) + 1;
  EXPECT_EQ(readText(text.substr(0, lastLine) + longLine + "\n"), BvhReadStatus::FpsRange);
  // Blanks read as zeros, value by value; the pieces after the first are lines of their own.
  EXPECT_EQ(readText(text.substr(0, lastLine) + std::string(25000, ' ') + "\n"), BvhReadStatus::Ok);
}

TEST_F(BvhReaderTest, LongMotionLinesStayOneFrameEach) {
  TestMotion written(15);
  for (int f = 0; f < 15; ++f) written.setRotation(f, Track::lShin, 3, f + 0.5);
  std::string text = written.text();
  std::string manyValues;
  for (int i = 0; i < 6000; ++i) manyValues += " 0";
  const std::size_t firstMotionLine = text.find('\n', text.find("Frame Time:")) + 1;
  for (std::size_t i = text.find('\n', firstMotionLine); i != std::string::npos;
       i = text.find('\n', i + manyValues.size() + 1)) {
    text.insert(i, manyValues);
  }
  ASSERT_EQ(readText(text), BvhReadStatus::Ok);
  for (int f = 0; f < 15; ++f) EXPECT_EQ((*motion)[Track::lShin][f][2], f + 0.5);
  // A long last line without a line end reads the same.
  text.pop_back();
  EXPECT_EQ(readText(text), BvhReadStatus::Ok);
}

TEST_F(BvhReaderTest, ManyJointKeywordsEndInTimeWithoutOverflow) {
  std::string many;
  for (int i = 0; i < 2000; ++i) many += "JOINT JOINT JOINT JOINT JOINT JOINT JOINT JOINT\n";
  const std::string text = replaced(TestMotion(15).text(), "\tJOINT lShin", many + "\tJOINT lShin");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(readText(text), BvhReadStatus::FpsRange);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// Where the reader stopped and what it found there, for a person to act on. The test figure's file
// has its Frames: line on line 63, its Frame Time: line on 64 and its motion lines from 65 on.
struct FailureCase {
  const char* what;
  std::optional<std::string> text;  // the file's bytes; none: there is no such file
  BvhReadStatus status;
  int line;
  std::string detail;
};

TEST_F(BvhReaderTest, FailureTellsItsLineAndWhatWasThere) {
  const std::string text = TestMotion(15).text();
  const std::size_t lastLine = text.rfind('\n', text.size() - 2) + 1;
  std::string lineEndsAtLShin = text.substr(0, lastLine);
  for (int value = 0; value < 36; ++value) lineEndsAtLShin += value ? " 0.0000" : "0.0000";
  const FailureCase cases[] = {
      {"empty file", "", BvhReadStatus::ReadError, 0, "the file is empty"},
      {"no ROOT hip", replaced(text, "ROOT hip", "ROOT pelvis"), BvhReadStatus::NotPoserFormat, 3,
       "none of the first three lines is a ROOT hip line"},
      {"no neck", replaced(text, "JOINT neck", "JOINT neckDummy"), BvhReadStatus::NotHuman, 79,
       "the file ends without JOINT neck"},
      {"501 frames", TestMotion(501).text(), BvhReadStatus::FrameRange, 63,
       "Frames: 501 is outside 15 to 500"},
      {"120 fps", TestMotion(15, "0.008333").text(), BvhReadStatus::FpsRange, 64,
       "Frame Time 0.008333 is 120 fps, outside 12 to 60"},
      {"frame time 0", TestMotion(15, "0").text(), BvhReadStatus::FpsRange, 64,
       "Frame Time 0 gives no frame rate"},
      {"motion line ends early", lineEndsAtLShin + "\n", BvhReadStatus::FpsRange, 79,
       "the motion line ends after 36 of the 37 values it needs"},
      {"one motion line too few", text.substr(0, lastLine), BvhReadStatus::ReadError, 78,
       "the file ends after 14 of the 15 frames that Frames: announces"},
      {"motion line beyond the reader's length", text.substr(0, lastLine) + std::string(20000, '7'),
       BvhReadStatus::FpsRange, 79,
       "the motion line is longer than the 9999 characters the reader takes"},
      {"frame count not a number", replaced(text, "Frames: 15", "Frames: abc"),
       BvhReadStatus::FrameRange, 63, "Frames: abc is not a whole number"},
      {"frame count missing", replaced(text, "Frames: 15", "Frames:"), BvhReadStatus::FrameRange,
       63, "Frames: holds no number"},
      {"frame time nan", TestMotion(15, "nan").text(), BvhReadStatus::FpsRange, 64,
       "Frame Time: nan is not a number of seconds"},
      {"frame time missing", TestMotion(15, " \t").text(), BvhReadStatus::FpsRange, 64,
       "Frame Time: holds no number"},
      {"frame time in hexadecimal", TestMotion(15, "0x1p-5").text(), BvhReadStatus::FpsRange, 64,
       "Frame Time: 0x1p-5 is not a number of seconds"},
      {"frame time below the smallest double", TestMotion(15, "1e-1000").text(),
       BvhReadStatus::FpsRange, 64, "Frame Time: 1e-1000 is too short for a frame rate"},
      {"missing file", std::nullopt, BvhReadStatus::CannotOpen, 0,
       std::make_error_code(std::errc::no_such_file_or_directory).message()},
  };
  const test::TempDir dir;
  for (const FailureCase& failure : cases) {
    SCOPED_TRACE(failure.what);
    const std::filesystem::path path =
        failure.text ? std::filesystem::path(dir.write("case.bvh", *failure.text))
                     : dir.path() / "missing.bvh";
    const BvhReadResult result = reader.readFile(path, *motion);
    EXPECT_EQ(result.status, failure.status);
    EXPECT_EQ(result.line, failure.line);
    EXPECT_EQ(result.detail.view(), failure.detail);
    // The message's second line: "line N: " only where a line was read.
    EXPECT_EQ(describeReadFailure(result).view(),
              failure.line > 0 ? "line " + std::to_string(failure.line) + ": " + failure.detail
                               : failure.detail);
    if (failure.text) {
      const BvhReadResult fromBytes = read(*failure.text);
      EXPECT_EQ(fromBytes.status, result.status);
      EXPECT_EQ(fromBytes.line, result.line);
      EXPECT_EQ(fromBytes.detail.view(), result.detail.view());
    }
  }
}

// Everything one read leaves behind: its result and a digest of the motion it was given.
struct ReadRecord {
  BvhReadStatus status;
  int line;
  std::string detail;
  std::uint64_t motionDigest;

  bool operator==(const ReadRecord&) const = default;
};

void PrintTo(const ReadRecord& record, std::ostream* out) {
  *out << "status " << static_cast<int>(record.status) << ", line " << record.line << ", \""
       << record.detail << "\", motion " << record.motionDigest;
}

std::uint64_t digestOf(const Motion& motion) {
  std::uint64_t digest = 14695981039346656037ull;
  const auto add = [&digest](const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) digest = (digest ^ bytes[i]) * 1099511628211ull;
  };
  add(motion.tracks.data(), sizeof motion.tracks);
  add(motion.hipXPos.data(), sizeof motion.hipXPos);
  add(motion.hipYPos.data(), sizeof motion.hipYPos);
  add(motion.hipZPos.data(), sizeof motion.hipZPos);
  add(motion.channelStart.data(), sizeof motion.channelStart);
  add(&motion.frameCount, sizeof motion.frameCount);
  add(&motion.frameTime, sizeof motion.frameTime);
  return digest;
}

// Reads the files in turn, rounds times over, into one motion.
std::vector<ReadRecord> readInTurn(BvhReader& reader, const std::vector<std::string>& files,
                                   int rounds) {
  const auto motion = std::make_unique<Motion>();
  std::vector<ReadRecord> records;
  for (int round = 0; round < rounds; ++round) {
    for (const std::string& file : files) {
      const BvhReadResult result = reader.readFile(file, *motion);
      records.push_back(
          {result.status, result.line, std::string(result.detail.view()), digestOf(*motion)});
    }
  }
  return records;
}

TEST(BvhReaderThreads, TwoReadersAtOnceReadAsOneAfterTheOther) {
  const test::TempDir dir;
  const std::string text = TestMotion(15).text();
  // Its last motion line ends early.
  const std::string cutShort = dir.write("cut-short.bvh", text.substr(0, text.size() - 30));
  const std::vector<std::string> first{test::dataPath("CMU_132_29_bouncy_walk.bvh"),
                                       test::dataPath("88_07.bvh")};
  const std::vector<std::string> second{test::dataPath("CMU_91_28_ghetto_walk.bvh"), cutShort,
                                        test::dataPath("avatar_hello.bvh")};
  constexpr int ROUNDS = 20;

  BvhReader reader;
  const std::vector<ReadRecord> firstAlone = readInTurn(reader, first, ROUNDS);
  const std::vector<ReadRecord> secondAlone = readInTurn(reader, second, ROUNDS);
  ASSERT_EQ(firstAlone[0].status, BvhReadStatus::Ok);
  ASSERT_EQ(firstAlone[1].status, BvhReadStatus::FpsRange);
  ASSERT_EQ(secondAlone[1].status, BvhReadStatus::FpsRange);

  std::vector<ReadRecord> firstTogether;
  std::vector<ReadRecord> secondTogether;
  // Both start reading together. (Not with std::latch: in the library of MinGW-w64's g++ 12 its
  // wait can miss the wake-up, and the test hangs now and then.)
  std::atomic<int> notReady = 2;
  const auto readOnThread = [&notReady](const std::vector<std::string>& files,
                                        std::vector<ReadRecord>& records) {
    BvhReader own;
    --notReady;
    while (notReady > 0) std::this_thread::yield();
    records = readInTurn(own, files, ROUNDS);
  };
  // std::thread rather than std::jthread, which clang's libc++ 14 does not have.
  std::thread one(readOnThread, std::cref(first), std::ref(firstTogether));
  std::thread two(readOnThread, std::cref(second), std::ref(secondTogether));
  one.join();
  two.join();
  EXPECT_EQ(firstTogether, firstAlone);
  EXPECT_EQ(secondTogether, secondAlone);
}

struct RealFile {
  const char* name;
  BvhReadStatus status;
  int frameCount;
  std::array<int, TABLE_JOINT_COUNT> channelStart;
};

void PrintTo(const RealFile& file, std::ostream* out) { *out << file.name; }

class RealBvhFiles : public ::testing::TestWithParam<RealFile> {};

TEST_P(RealBvhFiles, ReadWithTheirStatusAndJointPlaces) {
  const RealFile& file = GetParam();
  BvhReader reader;
  const auto motion = std::make_unique<Motion>();
  ASSERT_EQ(reader.readFile(test::dataPath(file.name), *motion).status, file.status);
  if (file.status != BvhReadStatus::Ok) return;
  EXPECT_EQ(motion->frameCount, file.frameCount);
  EXPECT_EQ(motion->channelStart, file.channelStart);
}

INSTANTIATE_TEST_SUITE_P(BvhReader, RealBvhFiles,
                         ::testing::Values(RealFile{"CMU_132_29_bouncy_walk.bvh",
                                                    BvhReadStatus::Ok,
                                                    242,
                                                    {6, 9, 12, 15, 24, 66, 111, 114, 123, 126}},
                                           RealFile{"CMU_91_28_ghetto_walk.bvh",
                                                    BvhReadStatus::Ok,
                                                    191,
                                                    {6, 9, 12, 15, 24, 66, 111, 114, 123, 126}},
                                           RealFile{"86_05_jumping_jacks.bvh",
                                                    BvhReadStatus::Ok,
                                                    38,
                                                    {6, 9, 12, 15, 18, 30, 42, 45, 51, 54}},
                                           RealFile{"88_07_cartwheel_double.bvh",
                                                    BvhReadStatus::Ok,
                                                    79,
                                                    {6, 9, 12, 15, 18, 30, 42, 45, 51, 54}},
                                           RealFile{"avatar_hello.bvh",
                                                    BvhReadStatus::Ok,
                                                    28,
                                                    {6, 9, 15, 18, 36, 24, 57, 60, 48, 51}},
                                           RealFile{"88_07.bvh", BvhReadStatus::FpsRange, 0, {}}),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

TEST_F(BvhReaderTest, RealFileValuesLandInTheirTracks) {
  ASSERT_EQ(readFile(test::dataPath("avatar_hello.bvh")), BvhReadStatus::Ok);
  const std::string text = test::readWholeFile(test::dataPath("avatar_hello.bvh"));
  const std::size_t firstLine = text.find('\n', text.find("Frame Time:")) + 1;
  std::array<double, 66> values{};
  const char* p = text.c_str() + firstLine;
  for (double& v : values) v = std::strtod(p, const_cast<char**>(&p));
  EXPECT_EQ(motion->hipYPos[0], values[1]);
  EXPECT_EQ((*motion)[Track::hip][0][2], values[5]);
  EXPECT_EQ((*motion)[Track::neck][0][0], values[15]);
  EXPECT_EQ((*motion)[Track::lThigh][0][0], values[48]);
  EXPECT_EQ((*motion)[Track::rThigh][0][2], values[59]);
}

}  // namespace
}  // namespace zev
