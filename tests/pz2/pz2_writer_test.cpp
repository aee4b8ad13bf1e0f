#include "pz2/pz2_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "files/file_system.h"
#include "store/motion_store.h"
#include "support/test_support.h"

namespace zev {
namespace {

std::string writtenFile(const MotionStore& store) {
  std::string text;
  StringSink sink(text);
  writePz2File(sink, store);
  return text;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

// The "k" lines of every channel, in file order: one list of values per channel.
std::vector<std::vector<std::string>> keyValuesByChannel(const std::string& text) {
  std::vector<std::vector<std::string>> channels;
  int expectedFrame = 0;
  for (const std::string& line : linesOf(text)) {
    if (line == "\t\t\tkeys") {
      channels.emplace_back();
      expectedFrame = 0;
    } else if (line.rfind("\t\t\t\t k  ", 0) == 0) {
      const std::string prefix = "\t\t\t\t k  " + std::to_string(expectedFrame++) + "  ";
      EXPECT_EQ(line.substr(0, prefix.size()), prefix);
      channels.back().push_back(line.substr(prefix.size()));
    }
  }
  return channels;
}

constexpr const char* HEADER_AND_FIRST_KEYS =
    "{\n\nversion\n\t{\n\tnumber 4\n\t}\n\nclearFigureKeys 2\n\n"
    "actor chest:1\n\t{\n\tchannels\n\t\t{\n"
    "\t\ttargetGeom Zuvflatx\n\t\t\t{\n\t\t\tkeys\n\t\t\t\t{\n"
    "\t\t\t\t k  0  0.500000\n\t\t\t\t sl 1\n\t\t\t\t spl\n\t\t\t\t sm\n"
    "\t\t\t\t k  1  0.000000\n\t\t\t\t sl 1\n\t\t\t\t spl\n\t\t\t\t sm\n"
    "\t\t\t\t}\n\t\t\t}\n"
    "\t\ttargetGeom Zuvdroopx\n";

constexpr const char* LAST_BLOCK_END =
    "\t\trotateX xrot\n\t\t\t{\n\t\t\tkeys\n\t\t\t\t{\n"
    "\t\t\t\t k  0  0.000000\n\t\t\t\t sl 1\n\t\t\t\t spl\n\t\t\t\t sm\n"
    "\t\t\t\t k  1  0.000000\n\t\t\t\t sl 1\n\t\t\t\t spl\n\t\t\t\t sm\n"
    "\t\t\t\t}\n\t\t\t}\n\n\t\t}\n\t}\n\n}";

TEST(Pz2Writer, WritesTheHeaderBlocksAndEndExactly) {
  const auto owned = std::make_unique<MotionStore>();
  MotionStore& store = *owned;
  store.motion.frameCount = 2;
  store.signals[Slot::chestFront][0] = 0.5;
  store.signals[Slot::chestFront][1] = -0.5;
  const std::string text = writtenFile(store);

  EXPECT_EQ(text.rfind(HEADER_AND_FIRST_KEYS, 0), 0u);
  ASSERT_GE(text.size(), std::string(LAST_BLOCK_END).size());
  EXPECT_EQ(text.substr(text.size() - std::string(LAST_BLOCK_END).size()), LAST_BLOCK_END);
  EXPECT_EQ(text.find('\r'), std::string::npos);

  std::vector<std::string> blockAndChannelLines;
  for (const std::string& line : linesOf(text)) {
    if (line.rfind("actor ", 0) == 0 || line.rfind("prop ", 0) == 0 ||
        (line.rfind("\t\t", 0) == 0 && line.find(' ') != std::string::npos && line[2] != '\t')) {
      blockAndChannelLines.push_back(line);
    }
  }
  const std::vector<std::string> expected{
      "actor chest:1",
      "\t\ttargetGeom Zuvflatx",
      "\t\ttargetGeom Zuvdroopx",
      "\t\ttargetGeom Zuvdownx",
      "\t\ttargetGeom Zuvupx",
      "\t\ttargetGeom Zuvleftx",
      "\t\ttargetGeom Zuvrightx",
      "actor rShldr:1",
      "\t\ttargetGeom Zuvupcollarx",
      "actor lShldr:1",
      "\t\ttargetGeom Zuvupcollarx",
      "actor hip:1",
      "\t\ttargetGeom ZuvBendhipRightx",
      "\t\ttargetGeom ZuvBendhipLeftx",
      "\t\ttargetGeom Zuvhipdownx",
      "actor rThigh:1",
      "\t\ttargetGeom ZuvBendhipthighRx",
      "\t\ttargetGeom Zuvhipdownx",
      "actor lThigh:1",
      "\t\ttargetGeom ZuvBendhipthighLx",
      "\t\ttargetGeom Zuvhipdownx",
      "prop figureHair:1",
      "\t\ttargetGeom BendBack",
      "\t\ttargetGeom BendFront",
      "\t\ttargetGeom BendLeft",
      "\t\ttargetGeom BendRight",
      "\t\ttargetGeom Nallow",
      "\t\ttargetGeom Wide",
      "\t\ttargetGeom Left",
      "\t\ttargetGeom Right",
      "actor Earring_Hookright:1",
      "\t\trotateZ zrot",
      "\t\trotateX xrot",
  };
  EXPECT_EQ(blockAndChannelLines, expected);
  // Every block but the first follows the empty line that ends the block before it.
  EXPECT_NE(text.find("\t\t\t\t}\n\t\t\t}\n\n\t\t}\n\t}\n\nactor rShldr:1\n"), std::string::npos);
}

// Each channel takes the direction of its slot that its sign mode selects.
TEST(Pz2Writer, KeysEachChannelFromItsSlotAndSignMode) {
  const auto owned = std::make_unique<MotionStore>();
  MotionStore& store = *owned;
  store.motion.frameCount = 1;
  const std::vector<std::pair<Slot, double>> values{
      {Slot::chestFront, 0.1},  {Slot::chestUp, -0.2},      {Slot::chestSide, 0.3},
      {Slot::rThighBend, -0.4}, {Slot::lThighBend, -0.5},   {Slot::hipUp, 0.6},
      {Slot::headFront, -0.7},  {Slot::headSide, 0.8},      {Slot::headUp, -0.9},
      {Slot::hairSwing, 0.125}, {Slot::earringZrot, -12.5}, {Slot::earringXrot, 3.0}};
  for (const auto& [slot, value] : values) store.signals[slot][0] = value;

  const auto channels = keyValuesByChannel(writtenFile(store));
  std::vector<std::string> firstKeys;
  for (const auto& keys : channels) {
    ASSERT_EQ(keys.size(), 1u);
    firstKeys.push_back(keys[0]);
  }
  const std::vector<std::string> expected{
      "0.100000",   "0.000000", "0.000000", "0.200000", "0.000000", "0.300000",  // chest
      "0.200000",   "0.200000",                                                  // shoulders
      "0.400000",   "0.500000", "0.600000",                                      // hip
      "0.400000",   "0.600000", "0.500000", "0.600000",                          // thighs
      "0.000000",   "0.700000", "0.000000", "0.800000", "0.900000", "0.000000",  // hair bends
      "0.000000",   "0.125000",                                                  // hair swing
      "-12.500000", "3.000000"};                                                 // earring
  EXPECT_EQ(firstKeys, expected);
}

// A morph channel keys one direction and never a sign; a rotation keeps its sign, but a zero is
// never "-0.000000". Nothing that is not a number reaches the file.
TEST(Pz2Writer, SignsOnlyRotationsAndNeverANonNumber) {
  const auto owned = std::make_unique<MotionStore>();
  MotionStore& store = *owned;
  const std::vector<double> elements{0.25,
                                     -0.25,
                                     0.0,
                                     -0.0,
                                     -0.0000001,
                                     std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity()};
  store.motion.frameCount = static_cast<int>(elements.size());
  for (std::size_t i = 0; i < elements.size(); ++i) {
    store.signals[Slot::chestFront][i] = elements[i];
    store.signals[Slot::earringZrot][i] = elements[i];
  }

  const auto channels = keyValuesByChannel(writtenFile(store));
  ASSERT_EQ(channels.size(), 25u);
  const std::vector<std::string> positive{"0.250000", "0.000000", "0.000000", "0.000000",
                                          "0.000000", "0.000000", "0.000000", "0.000000"};
  const std::vector<std::string> negative{"0.000000", "0.250000", "0.000000", "0.000000",
                                          "0.000000", "0.000000", "0.000000", "0.000000"};
  const std::vector<std::string> signedKeys{"0.250000", "-0.250000", "0.000000", "0.000000",
                                            "0.000000", "0.000000",  "0.000000", "0.000000"};
  EXPECT_EQ(channels[0], positive);     // Zuvflatx, +1
  EXPECT_EQ(channels[1], negative);     // Zuvdroopx, -1
  EXPECT_EQ(channels[23], signedKeys);  // zrot
}

TEST(Pz2Writer, WritesOnlyTheFramesOfTheMotion) {
  const auto owned = std::make_unique<MotionStore>();
  MotionStore& store = *owned;
  for (auto& slot : store.signals.slots) slot.fill(0.75);  // a longer motion left these behind
  store.motion.frameCount = 15;
  const std::string text = writtenFile(store);
  EXPECT_NE(text.find("clearFigureKeys 15\n"), std::string::npos);
  for (const auto& keys : keyValuesByChannel(text)) EXPECT_EQ(keys.size(), 15u);

  store.motion.frameCount = 0;
  const std::string empty = writtenFile(store);
  EXPECT_NE(empty.find("clearFigureKeys 0\n\n"), std::string::npos);
  const auto channels = keyValuesByChannel(empty);
  EXPECT_EQ(channels.size(), 25u);
  for (const auto& keys : channels) EXPECT_TRUE(keys.empty());
  EXPECT_NE(empty.find("\t\t\tkeys\n\t\t\t\t{\n\t\t\t\t}\n"), std::string::npos);
}

TEST(Pz2Writer, FileSinkReportsAFullDevice) {
  const test::TempDir dir;
  const std::filesystem::path device = dir.path() / "full";
  if (!test::makeCharacterDevice(device, 1, 7)) GTEST_SKIP() << "may not make a device here";
  std::FILE* full = openFile(device, "wb");
  ASSERT_NE(full, nullptr);
  const auto store = std::make_unique<MotionStore>();
  store->motion.frameCount = 500;
  FileSink sink(full);
  writePz2File(sink, *store);
  EXPECT_EQ(sink.error(), std::errc::no_space_on_device) << sink.error().message();
  std::fclose(full);
}

}  // namespace
}  // namespace zev
