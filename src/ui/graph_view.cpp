#include "ui/graph_view.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zev {

namespace {

// Bars, marks and ticks are laid out over at most this many pixels to the right of the axis.
constexpr int PLOT_WIDTH = 250;
constexpr int AXIS_X = 50;
constexpr std::array<int, 3> BASELINES{50, 150, 250};  // top, middle, bottom

// The double nearest 1/90: earring degrees to the bar scale of the other pages.
constexpr double RING_SCALE = 0.011111111111111112;

struct GraphPage {
  const char* title;
  SlotNumber top;     // plotC
  SlotNumber middle;  // plotB
  SlotNumber bottom;  // plotA
  double scale;
};

constexpr std::array<GraphPage, 3> GRAPH_PAGES{{
    {"1/3 -Chest", chestUp, chestSide, chestFront, 1.0},
    {"2/3 -Hair", headUp, headSide, headFront, 1.0},
    {"3/3 -Ring", earringXrot, earringSway, earringZrot, RING_SCALE},
}};

struct GraphLabel {
  const char* text;
  int x;
  int y;
};

constexpr std::array<GraphLabel, 6> GRAPH_LABELS{{
    {"Up", 10, 25},
    {"Down", 10, 68},
    {"Left", 10, 125},
    {"Right", 10, 168},
    {"Droop", 10, 225},
    {"Flat", 10, 268},
}};

// frameCount as a loop bound over the store's arrays; a count the reader left out of range never
// reaches beyond them.
int framesInStore() { return std::clamp(motionStore().frameCount, 0, FRAME_CAPACITY); }

// trunc(50 x value) as a pixel offset. The platform clips long bars to the panel, so bounding the
// offset far outside it changes no picture but keeps a wild or undefined value from overflowing.
int barOffset(double value) {
  const double offset = value * -50.0;
  if (std::isnan(offset)) return 0;
  return -static_cast<int>(std::clamp(offset, -100000.0, 100000.0));
}

void addSlopeMarks(PanelOps& ops, const FrameArray& positions, int baseline, int step) {
  computeSlopeSigns(positions);
  const MotionStore& store = motionStore();
  const int marks = std::min(framesInStore() - 1, PLOT_WIDTH);
  for (int i = 0; i < marks; ++i) {
    const int x = AXIS_X + i * step;
    const int sign = static_cast<int>(store.slopeSign[i]);
    ops.push_back(drawLineOp(x, baseline, x, baseline + 50 * sign));
    ops.push_back(drawLineOp(x - 1, baseline + 45 * sign, x + 2, baseline + 45 * sign));
  }
}

}  // namespace

PanelOps clearPanel() { return {fillBlackOp()}; }

PanelOps showGraphPage(bool stillMode) {
  MotionStore& store = motionStore();
  store.panelMode = 2;
  PanelOps ops = clearPanel();

  const int frames = framesInStore();
  const int pageNumber = std::clamp(store.graphPage, 0, 2);
  const GraphPage& page = GRAPH_PAGES[pageNumber];
  for (int i = 0; i < frames; ++i) {
    store.slots[plotA][i] = store.slots[page.bottom][i] * page.scale;
    store.slots[plotB][i] = store.slots[page.middle][i] * page.scale;
    store.slots[plotC][i] = store.slots[page.top][i] * page.scale;
  }
  // With no frames nothing was copied, and the title stays empty.
  const char* title = frames > 0 ? page.title : "";
  store.graphPage = (pageNumber + 1) % 3;

  ops.push_back(selectPenOp(AXIS_COLOR));
  ops.push_back(selectFontOp(GRAPH_FONT_POINTS));
  ops.push_back(setTextColorsOp(GRAPH_TEXT_COLOR, PANEL_BLACK));
  ops.push_back(drawTextOp(295, 290, title));
  for (const GraphLabel& label : GRAPH_LABELS) {
    ops.push_back(drawTextOp(label.x, label.y, label.text));
  }

  // A motion never read (or whose read failed) has no frames; one pixel per frame keeps the
  // layout of an empty page.
  const int step = frames > 0 ? std::max(PLOT_WIDTH / frames, 1) : 1;

  ops.push_back(selectPenOp(MARK_COLOR));
  if (!stillMode) {
    addSlopeMarks(ops, store.hipYPos, BASELINES[0], step);
    addSlopeMarks(ops, store.hipXPos, BASELINES[1], step);
    addSlopeMarks(ops, store.hipZPos, BASELINES[2], step);
  }

  const int bars = std::min(frames, PLOT_WIDTH);
  for (int i = 0; i < bars; ++i) {
    const int x = AXIS_X + i * step;
    ops.push_back(selectPenOp(TOP_BAR_COLOR));
    ops.push_back(drawLineOp(x, BASELINES[0], x, BASELINES[0] + barOffset(store.slots[plotC][i])));
    ops.push_back(selectPenOp(MIDDLE_BAR_COLOR));
    ops.push_back(drawLineOp(x, BASELINES[1], x, BASELINES[1] + barOffset(store.slots[plotB][i])));
    ops.push_back(selectPenOp(BOTTOM_BAR_COLOR));
    ops.push_back(drawLineOp(x, BASELINES[2], x, BASELINES[2] + barOffset(store.slots[plotA][i])));
  }

  // Axes and ticks last, so that they stay grey where bars and marks cross them.
  ops.push_back(selectPenOp(AXIS_COLOR));
  for (int baseline : BASELINES) ops.push_back(drawLineOp(30, baseline, 300, baseline));
  ops.push_back(drawLineOp(AXIS_X, 1, AXIS_X, 100));
  ops.push_back(drawLineOp(AXIS_X, 102, AXIS_X, 200));
  ops.push_back(drawLineOp(AXIS_X, 202, AXIS_X, 300));

  // One tick per second of animation, the first at frame frameRate. Without a frame rate (no
  // analysis has succeeded yet) there is no second to mark, and a zero spacing would never end.
  const int spacing = store.frameRate * step;
  if (spacing > 0) {
    const int tickLimit = std::min(frames * step + 51, 300);
    for (int x = AXIS_X + spacing; x < tickLimit; x += spacing) {
      for (int baseline : BASELINES) ops.push_back(drawLineOp(x, baseline - 2, x, baseline + 2));
    }
  }
  return ops;
}

void computeSlopeSigns(const FrameArray& values) {
  FrameArray& signs = motionStore().slopeSign;
  const int frames = framesInStore();
  for (int i = 0; i + 1 < frames; ++i) {
    const double slope = values[i + 1] - values[i];
    signs[i] = slope > 0 ? 1.0 : (slope < 0 ? -1.0 : 0.0);
  }
  // A sign survives only where the next two differ; clearing index j - 2 after comparing j - 1
  // and j keeps every comparison on the raw signs.
  if (frames >= 4) {
    for (int j = 2; j <= frames - 2; ++j) {
      if (signs[j - 1] == signs[j]) signs[j - 2] = 0.0;
    }
  }
}

}  // namespace zev
