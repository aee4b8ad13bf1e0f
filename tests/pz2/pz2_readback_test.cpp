// Reads written pose files back the way Poser takes them: channels by actor or prop and by name,
// one channel per name, one key per frame. What each channel must hold comes from this file's own
// table and the signals CSV of the same conversion, not from the writer's tables, so that a
// channel keyed from the wrong signal, in the wrong direction or twice under one name shows here.

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "common/text_sink.h"
#include "pz2/pz2_writer.h"
#include "pz2/signals_csv.h"
#include "store/motion_store.h"
#include "support/test_support.h"

namespace zev {
namespace {

// How a channel's key follows its CSV column.
enum class Rule { Positive, Negative, Signed };

struct Expected {
  std::string block;    // "kind name:1"
  std::string channel;  // "type name"
  std::string column;
  Rule rule;
};

// What Poser should see, by actor or prop: the morphs split a signal into its two directions, the
// earring's rotations carry their sign.
const std::vector<Expected> EXPECTED{
    {"actor chest:1", "targetGeom Zuvflatx", "chestFront", Rule::Positive},
    {"actor chest:1", "targetGeom Zuvdroopx", "chestFront", Rule::Negative},
    {"actor chest:1", "targetGeom Zuvdownx", "chestUp", Rule::Positive},
    {"actor chest:1", "targetGeom Zuvupx", "chestUp", Rule::Negative},
    {"actor chest:1", "targetGeom Zuvleftx", "chestSide", Rule::Negative},
    {"actor chest:1", "targetGeom Zuvrightx", "chestSide", Rule::Positive},
    {"actor rShldr:1", "targetGeom Zuvupcollarx", "chestUp", Rule::Negative},
    {"actor lShldr:1", "targetGeom Zuvupcollarx", "chestUp", Rule::Negative},
    {"actor hip:1", "targetGeom ZuvBendhipRightx", "rThighBend", Rule::Negative},
    {"actor hip:1", "targetGeom ZuvBendhipLeftx", "lThighBend", Rule::Negative},
    {"actor hip:1", "targetGeom Zuvhipdownx", "hipUp", Rule::Positive},
    {"actor rThigh:1", "targetGeom ZuvBendhipthighRx", "rThighBend", Rule::Negative},
    {"actor rThigh:1", "targetGeom Zuvhipdownx", "hipUp", Rule::Positive},
    {"actor lThigh:1", "targetGeom ZuvBendhipthighLx", "lThighBend", Rule::Negative},
    {"actor lThigh:1", "targetGeom Zuvhipdownx", "hipUp", Rule::Positive},
    {"prop figureHair:1", "targetGeom BendBack", "headFront", Rule::Positive},
    {"prop figureHair:1", "targetGeom BendFront", "headFront", Rule::Negative},
    {"prop figureHair:1", "targetGeom BendLeft", "headSide", Rule::Negative},
    {"prop figureHair:1", "targetGeom BendRight", "headSide", Rule::Positive},
    {"prop figureHair:1", "targetGeom Nallow", "headUp", Rule::Negative},
    {"prop figureHair:1", "targetGeom Wide", "headUp", Rule::Positive},
    {"prop figureHair:1", "targetGeom Left", "hairSwing", Rule::Negative},
    {"prop figureHair:1", "targetGeom Right", "hairSwing", Rule::Positive},
    {"actor Earring_Hookright:1", "rotateZ zrot", "earringZrot", Rule::Signed},
    {"actor Earring_Hookright:1", "rotateX xrot", "earringXrot", Rule::Signed},
};

// The key texts of one channel, in frame order.
using Keys = std::vector<std::string>;
// Block line -> channel line -> keys.
using PoseFile = std::map<std::string, std::map<std::string, Keys>>;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Reads the blocks and channels of a pose file of frameCount keys per channel; a second channel
// of one name in a block, a missing or misplaced key, or a key without its three following lines
// fails the test.
PoseFile readPoseFile(const std::string& text, int frameCount) {
  PoseFile file;
  const std::vector<std::string> lines = linesOf(text);
  std::string block;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.starts_with("actor ") || line.starts_with("prop ")) {
      block = line;
      EXPECT_EQ(file.count(block), 0u) << block << " twice";
      file[block];
    } else if (line.starts_with("\t\t") && !line.starts_with("\t\t\t") &&
               line.find(' ') != line.npos) {
      const std::string channel = line.substr(2);
      EXPECT_EQ(file[block].count(channel), 0u) << channel << " twice in " << block;
      Keys& keys = file[block][channel];
      keys.clear();
      std::size_t at = i + 4;  // past "{", "keys" and "{"
      for (int frame = 0; frame < frameCount; ++frame, at += 4) {
        const std::string prefix = "\t\t\t\t k  " + std::to_string(frame) + "  ";
        if (at + 3 >= lines.size() || !lines[at].starts_with(prefix)) {
          ADD_FAILURE() << channel << " in " << block << ": no key " << frame;
          break;
        }
        EXPECT_EQ(lines[at + 1], "\t\t\t\t sl 1");
        EXPECT_EQ(lines[at + 2], "\t\t\t\t spl");
        EXPECT_EQ(lines[at + 3], "\t\t\t\t sm");
        keys.push_back(lines[at].substr(prefix.size()));
      }
      EXPECT_EQ(at < lines.size() ? lines[at] : "", "\t\t\t\t}") << channel << " in " << block;
    }
  }
  return file;
}

// Column name -> one value per frame.
std::map<std::string, std::vector<double>> readCsv(const std::string& text) {
  const std::vector<std::string> lines = linesOf(text);
  std::vector<std::string> names;
  std::istringstream header(lines.at(0));
  for (std::string name; std::getline(header, name, ',');) names.push_back(name);
  std::map<std::string, std::vector<double>> columns;
  for (std::size_t l = 1; l < lines.size(); ++l) {
    std::istringstream row(lines[l]);
    std::string cell;
    for (std::size_t c = 0; std::getline(row, cell, ','); ++c) {
      columns[names.at(c)].push_back(std::strtod(cell.c_str(), nullptr));
    }
  }
  return columns;
}

double expectedKey(double value, Rule rule) {
  if (!std::isfinite(value)) return 0.0;
  switch (rule) {
    case Rule::Positive:
      return value > 0 ? value : 0.0;
    case Rule::Negative:
      return value < 0 ? -value : 0.0;
    case Rule::Signed:
      return value;
  }
  return 0.0;
}

struct Conversion {
  int frameCount = 0;
  std::string pose;
  std::string csv;
};

Conversion convert(const std::string& path, bool stillMode) {
  BvhReader reader;
  const auto store = std::make_unique<MotionStore>();
  const BvhReadResult read = reader.readFile(path, store->motion);
  EXPECT_EQ(read.status, BvhReadStatus::Ok) << path;
  EffectParameters parameters;
  parameters.stillMode = stillMode;
  analyseMotion(parameters, store->motion, store->signals);
  Conversion conversion;
  conversion.frameCount = store->motion.frameCount;
  StringSink poseSink(conversion.pose);
  writePz2File(poseSink, *store);
  StringSink csvSink(conversion.csv);
  writeSignalsCsv(csvSink, *store);
  return conversion;
}

class Pz2ReadBack : public ::testing::TestWithParam<std::pair<std::string, bool>> {};

TEST_P(Pz2ReadBack, EveryChannelOnceWithTheKeysOfItsSignal) {
  const auto& [path, stillMode] = GetParam();
  const Conversion conversion = convert(path, stillMode);
  const PoseFile file = readPoseFile(conversion.pose, conversion.frameCount);
  const auto columns = readCsv(conversion.csv);

  std::size_t channels = 0;
  for (const auto& [block, byName] : file) channels += byName.size();
  EXPECT_EQ(channels, EXPECTED.size());
  for (const Expected& expected : EXPECTED) {
    SCOPED_TRACE(expected.block + " " + expected.channel);
    const auto block = file.find(expected.block);
    ASSERT_NE(block, file.end());
    const auto channel = block->second.find(expected.channel);
    ASSERT_NE(channel, block->second.end());
    const std::vector<double>& column = columns.at(expected.column);
    ASSERT_EQ(channel->second.size(), column.size());
    for (std::size_t frame = 0; frame < column.size(); ++frame) {
      const std::string& key = channel->second[frame];
      EXPECT_NE(key, "-0.000000") << "frame " << frame;
      // Six decimals, rounded: within half a millionth of the signal, beside the last bits of
      // a large rotation.
      const double want = expectedKey(column[frame], expected.rule);
      EXPECT_NEAR(std::strtod(key.c_str(), nullptr), want, 5e-7 + 1e-12 * std::abs(want))
          << "frame " << frame << ", signal " << column[frame];
    }
  }
}

std::vector<std::pair<std::string, bool>> motionsInBothModes() {
  std::vector<std::pair<std::string, bool>> cases;
  // The sample and the real motions that convert (88_07.bvh runs at 120 frames per second).
  std::vector<std::string> paths{std::string(ZEV_EXAMPLES_DIR) + "/walk.bvh"};
  for (const char* name :
       {"CMU_132_29_bouncy_walk.bvh", "CMU_91_28_ghetto_walk.bvh", "86_05_jumping_jacks.bvh",
        "88_07_cartwheel_double.bvh", "avatar_hello.bvh"}) {
    paths.push_back(test::dataPath(name));
  }
  for (const std::string& path : paths) {
    for (bool stillMode : {true, false}) cases.emplace_back(path, stillMode);
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Motions, Pz2ReadBack, ::testing::ValuesIn(motionsInBothModes()),
                         [](const auto& info) {
                           std::string name =
                               info.param.first.substr(info.param.first.find_last_of('/') + 1);
                           name = name.substr(0, name.find('.'));
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name + (info.param.second ? "_still" : "_movie");
                         });

// The sample's earring swings both ways in movie mode; its z rotation must show both.
TEST(Pz2ReadBackEarring, ASwingThatChangesSignKeysBothSigns) {
  const Conversion conversion = convert(std::string(ZEV_EXAMPLES_DIR) + "/walk.bvh", false);
  const PoseFile file = readPoseFile(conversion.pose, conversion.frameCount);
  const Keys& zrot = file.at("actor Earring_Hookright:1").at("rotateZ zrot");
  int negative = 0;
  int positive = 0;
  for (const std::string& key : zrot) {
    EXPECT_NE(key, "-0.000000");
    if (key.starts_with("-"))
      ++negative;
    else if (key != "0.000000")
      ++positive;
  }
  EXPECT_GT(negative, 0);
  EXPECT_GT(positive, 0);
}

}  // namespace
}  // namespace zev
