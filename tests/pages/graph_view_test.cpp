#include "pages/graph_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "pages/panel_state.h"
#include "store/motion_store.h"

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
    if (op.kind == PanelOpKind::SelectPen) pen = op.color;
    if (op.kind == PanelOpKind::DrawLine) lines.push_back({pen, op.x, op.y, op.x2, op.y2});
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
    if (op.kind == PanelOpKind::DrawText && op.x == 295 && op.y == 290) return op.text;
  }
  return "<none>";
}

// A motion of that many frames at that frame rate, all signals 0, and a fresh panel.
struct Page {
  std::unique_ptr<MotionStore> store = std::make_unique<MotionStore>();
  PanelState panel;

  Page(int frames, int frameRate) {
    store->motion.frameCount = frames;
    store->signals.frameRate = frameRate;
  }
  PanelOps show(bool stillMode) { return showGraphPage(panel, *store, stillMode); }
};

TEST(GraphView, CyclesChestHairRingAcrossDraws) {
  Page page(15, 15);
  std::vector<std::string> titles;
  for (int i = 0; i < 4; ++i) titles.push_back(titleOf(page.show(true)));
  EXPECT_EQ(titles,
            (std::vector<std::string>{"1/3 -Chest", "2/3 -Hair", "3/3 -Ring", "1/3 -Chest"}));
  EXPECT_EQ(page.panel.panelMode, PanelMode::Graph);
  EXPECT_EQ(page.panel.graphPage, 1);
}

TEST(GraphView, BarPositionsFollowTheFrameCount) {
  struct Case {
    int frames, firstX, lastX, count;
  };
  for (const Case& c : {Case{15, 50, 274, 15}, Case{100, 50, 248, 100}, Case{250, 50, 299, 250},
                        Case{300, 50, 299, 250}}) {
    Page page(c.frames, 30);
    const std::vector<Line> bars = linesIn(page.show(true), TOP_BAR_COLOR);
    ASSERT_EQ(static_cast<int>(bars.size()), c.count) << c.frames;
    EXPECT_EQ(bars.front().x, c.firstX) << c.frames;
    EXPECT_EQ(bars.back().x, c.lastX) << c.frames;
  }
}

TEST(GraphView, BarLengthIsFiftyTimesTheValueTruncated) {
  Page page(15, 15);
  Signals& signals = page.store->signals;
  signals[Slot::chestUp][0] = 1.0;
  signals[Slot::chestUp][1] = -1.0;
  signals[Slot::chestUp][2] = 0.999;
  signals[Slot::chestUp][3] = -0.01;
  signals[Slot::chestSide][0] = 0.5;
  signals[Slot::chestFront][0] = -0.3;
  const PanelOps ops = page.show(true);
  const std::vector<Line> top = linesIn(ops, TOP_BAR_COLOR);
  EXPECT_EQ(top[0], (Line{TOP_BAR_COLOR, 50, 50, 50, 100}));
  EXPECT_EQ(top[1].y2, 0);
  EXPECT_EQ(top[2].y2, 99);
  EXPECT_EQ(top[3].y2, 50);
  EXPECT_EQ(linesIn(ops, MIDDLE_BAR_COLOR)[0], (Line{MIDDLE_BAR_COLOR, 50, 150, 50, 175}));
  EXPECT_EQ(linesIn(ops, BOTTOM_BAR_COLOR)[0], (Line{BOTTOM_BAR_COLOR, 50, 250, 50, 235}));
}

TEST(GraphView, RingPageScalesEarringDegreesToBars) {
  Page page(15, 15);
  page.store->signals[Slot::earringSway][0] = 45.0;
  page.store->signals[Slot::earringZrot][0] = -90.0;
  page.panel.graphPage = 2;
  const PanelOps ops = page.show(true);
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
  struct Case {
    int frames, frameRate;
    std::vector<int> ticks;
  };
  for (const Case& c : {Case{100, 30, {110, 170, 230}}, Case{15, 30, {}}, Case{15, 12, {242}},
                        Case{500, 60, {110, 170, 230, 290}},
                        // No analysis has succeeded: no ticks, and the page still ends.
                        Case{100, 0, {}}}) {
    Page page(c.frames, c.frameRate);
    EXPECT_EQ(tickXs(page.show(true)), c.ticks) << c.frames << " frames at " << c.frameRate;
  }
}

TEST(GraphView, NoFramesDrawsTitleLessFrameWithoutFault) {
  Page page(0, 0);
  page.panel.graphPage = 1;
  const PanelOps ops = page.show(false);
  EXPECT_EQ(titleOf(ops), "");
  EXPECT_TRUE(linesIn(ops, TOP_BAR_COLOR).empty());
  EXPECT_TRUE(linesIn(ops, MARK_COLOR).empty());
  EXPECT_EQ(linesIn(ops, AXIS_COLOR).size(), 6u);
  EXPECT_EQ(page.panel.graphPage, 2);
}

TEST(GraphView, SlopeSignsKeepOnlyTurningPointsAndTheLastTwo) {
  FrameArray values{};
  FrameArray signs{};
  for (int i = 0; i < 8; ++i) values[i] = i;  // rising throughout
  signs[7] = 5.0;                             // beyond N - 2: untouched
  computeSlopeSigns(values, 8, signs);
  EXPECT_EQ(std::vector<double>(signs.begin(), signs.begin() + 8),
            (std::vector<double>{0, 0, 0, 0, 0, 1, 1, 5}));

  // Raw signs + + - - 0 +: a sign stays where the following two differ.
  const std::vector<double> zigzag{0, 1, 2, 1, 0, 0, 1};
  std::copy(zigzag.begin(), zigzag.end(), values.begin());
  computeSlopeSigns(values, 7, signs);
  EXPECT_EQ(std::vector<double>(signs.begin(), signs.begin() + 6),
            (std::vector<double>{1, 0, -1, -1, 0, 1}));
}

TEST(GraphView, SlopeMarksOnlyInMovieMode) {
  Page page(15, 15);
  for (int i = 0; i < 15; ++i) page.store->motion.hipYPos[i] = i;  // only the last two survive
  EXPECT_TRUE(linesIn(page.show(true), MARK_COLOR).empty());

  const std::vector<Line> marks = linesIn(page.show(false), MARK_COLOR);
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
