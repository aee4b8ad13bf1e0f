#include "ui/graph_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/test_support.h"

namespace zev {
namespace {

struct Line {
  PanelColor color;
  int x, y, x2, y2;
  bool operator==(const Line&) const = default;
};

// The lines of a page with the pen each is drawn with.
std::vector<Line> linesOf(const PanelOps& ops) {
  std::vector<Line> lines;
  PanelColor pen;
  for (const PanelOp& op : ops) {
    if (op.kind == PanelOpKind::selectPen) pen = op.color;
    if (op.kind == PanelOpKind::drawLine) lines.push_back({pen, op.x, op.y, op.x2, op.y2});
  }
  return lines;
}

std::vector<Line> linesIn(const PanelOps& ops, PanelColor color) {
  std::vector<Line> all = linesOf(ops);
  std::erase_if(all, [&](const Line& line) { return !(line.color == color); });
  return all;
}

std::string titleOf(const PanelOps& ops) {
  for (const PanelOp& op : ops) {
    if (op.kind == PanelOpKind::drawText && op.x == 295 && op.y == 290) return op.text;
  }
  return "<none>";
}

void loadMotion(int frames, int frameRate) {
  test::resetMotionStore();
  MotionStore& store = motionStore();
  store.frameCount = frames;
  store.frameRate = frameRate;
}

TEST(GraphView, CyclesChestHairRingAcrossDraws) {
  loadMotion(15, 15);
  std::vector<std::string> titles;
  for (int i = 0; i < 4; ++i) titles.push_back(titleOf(showGraphPage(true)));
  EXPECT_EQ(titles,
            (std::vector<std::string>{"1/3 -Chest", "2/3 -Hair", "3/3 -Ring", "1/3 -Chest"}));
  EXPECT_EQ(motionStore().panelMode, 2);
  EXPECT_EQ(motionStore().graphPage, 1);
}

TEST(GraphView, BarPositionsFollowTheFrameCount) {
  struct Case {
    int frames, firstX, lastX, count;
  };
  for (const Case& c : {Case{15, 50, 274, 15}, Case{100, 50, 248, 100}, Case{250, 50, 299, 250},
                        Case{300, 50, 299, 250}}) {
    loadMotion(c.frames, 30);
    const std::vector<Line> bars = linesIn(showGraphPage(true), TOP_BAR_COLOR);
    ASSERT_EQ(static_cast<int>(bars.size()), c.count) << c.frames;
    EXPECT_EQ(bars.front().x, c.firstX) << c.frames;
    EXPECT_EQ(bars.back().x, c.lastX) << c.frames;
  }
}

TEST(GraphView, BarLengthIsFiftyTimesTheValueTruncated) {
  loadMotion(15, 15);
  MotionStore& store = motionStore();
  store.slots[chestUp][0] = 1.0;
  store.slots[chestUp][1] = -1.0;
  store.slots[chestUp][2] = 0.999;
  store.slots[chestUp][3] = -0.01;
  store.slots[chestSide][0] = 0.5;
  store.slots[chestFront][0] = -0.3;
  const PanelOps ops = showGraphPage(true);
  const std::vector<Line> top = linesIn(ops, TOP_BAR_COLOR);
  EXPECT_EQ(top[0], (Line{TOP_BAR_COLOR, 50, 50, 50, 100}));
  EXPECT_EQ(top[1].y2, 0);
  EXPECT_EQ(top[2].y2, 99);
  EXPECT_EQ(top[3].y2, 50);
  EXPECT_EQ(linesIn(ops, MIDDLE_BAR_COLOR)[0], (Line{MIDDLE_BAR_COLOR, 50, 150, 50, 175}));
  EXPECT_EQ(linesIn(ops, BOTTOM_BAR_COLOR)[0], (Line{BOTTOM_BAR_COLOR, 50, 250, 50, 235}));
  EXPECT_EQ(store.slots[plotC][0], 1.0);
}

TEST(GraphView, RingPageScalesEarringDegreesToBars) {
  loadMotion(15, 15);
  MotionStore& store = motionStore();
  store.slots[earringSway][0] = 45.0;
  store.slots[earringZrot][0] = -90.0;
  store.graphPage = 2;
  const PanelOps ops = showGraphPage(true);
  EXPECT_EQ(titleOf(ops), "3/3 -Ring");
  EXPECT_EQ(linesIn(ops, MIDDLE_BAR_COLOR)[0].y2, 175);
  EXPECT_EQ(linesIn(ops, BOTTOM_BAR_COLOR)[0].y2, 200);
  EXPECT_EQ(linesIn(ops, TOP_BAR_COLOR)[0].y2, 50);
}

std::vector<int> tickXs(const PanelOps& ops) {
  std::vector<int> xs;
  for (const Line& line : linesIn(ops, AXIS_COLOR)) {
    if (line.y == 48 && line.y2 == 52) xs.push_back(line.x);
  }
  return xs;
}

TEST(GraphView, TicksStandAtEverySecond) {
  loadMotion(100, 30);
  EXPECT_EQ(tickXs(showGraphPage(true)), (std::vector<int>{110, 170, 230}));
  loadMotion(15, 30);
  EXPECT_TRUE(tickXs(showGraphPage(true)).empty());
  loadMotion(15, 12);
  EXPECT_EQ(tickXs(showGraphPage(true)), (std::vector<int>{242}));
  loadMotion(500, 60);
  EXPECT_EQ(tickXs(showGraphPage(true)), (std::vector<int>{110, 170, 230, 290}));
  loadMotion(100, 0);  // no analysis has succeeded: no ticks, and the page still ends
  EXPECT_TRUE(tickXs(showGraphPage(true)).empty());
}

TEST(GraphView, NoFramesDrawsTitleLessFrameWithoutFault) {
  loadMotion(0, 0);
  motionStore().graphPage = 1;
  const PanelOps ops = showGraphPage(false);
  EXPECT_EQ(titleOf(ops), "");
  EXPECT_TRUE(linesIn(ops, TOP_BAR_COLOR).empty());
  EXPECT_TRUE(linesIn(ops, MARK_COLOR).empty());
  EXPECT_EQ(linesIn(ops, AXIS_COLOR).size(), 6u);
  EXPECT_EQ(motionStore().graphPage, 2);
}

TEST(GraphView, SlopeSignsKeepOnlyTurningPointsAndTheLastTwo) {
  test::resetMotionStore();
  MotionStore& store = motionStore();
  store.frameCount = 8;
  FrameArray values{};
  for (int i = 0; i < 8; ++i) values[i] = i;  // rising throughout
  store.slopeSign[7] = 5.0;                   // beyond N - 2: untouched
  computeSlopeSigns(values);
  EXPECT_EQ(std::vector<double>(store.slopeSign.begin(), store.slopeSign.begin() + 8),
            (std::vector<double>{0, 0, 0, 0, 0, 1, 1, 5}));

  // Raw signs + + - - 0 +: a sign stays where the following two differ.
  const std::vector<double> zigzag{0, 1, 2, 1, 0, 0, 1};
  store.frameCount = 7;
  std::copy(zigzag.begin(), zigzag.end(), values.begin());
  computeSlopeSigns(values);
  EXPECT_EQ(std::vector<double>(store.slopeSign.begin(), store.slopeSign.begin() + 6),
            (std::vector<double>{1, 0, -1, -1, 0, 1}));
}

TEST(GraphView, SlopeMarksOnlyInMovieMode) {
  loadMotion(15, 15);
  MotionStore& store = motionStore();
  for (int i = 0; i < 15; ++i) store.hipYPos[i] = i;  // only the last two signs survive
  store.slopeSign[0] = 7.0;
  EXPECT_TRUE(linesIn(showGraphPage(true), MARK_COLOR).empty());
  EXPECT_EQ(store.slopeSign[0], 7.0);

  const std::vector<Line> marks = linesIn(showGraphPage(false), MARK_COLOR);
  ASSERT_EQ(marks.size(), 3u * 14 * 2);
  // Frames 12 and 13 of hipYPos rise: marks 50 pixels down the top baseline, bar at 45.
  EXPECT_EQ(marks[24], (Line{MARK_COLOR, 242, 50, 242, 100}));
  EXPECT_EQ(marks[25], (Line{MARK_COLOR, 241, 95, 244, 95}));
  EXPECT_EQ(marks[26], (Line{MARK_COLOR, 258, 50, 258, 100}));
  EXPECT_EQ(marks[22], (Line{MARK_COLOR, 226, 50, 226, 50}));
  // hipXPos does not move: every mark on the middle baseline is empty.
  EXPECT_EQ(marks[28], (Line{MARK_COLOR, 50, 150, 50, 150}));
}

}  // namespace
}  // namespace zev
