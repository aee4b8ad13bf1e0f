#include "pages/graph_view.h"

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
  Slot top;
  Slot middle;
  Slot bottom;
  double scale;
};

constexpr std::array<GraphPage, 3> GRAPH_PAGES{{
    {"1/3 -Chest", Slot::chestUp, Slot::chestSide, Slot::chestFront, 1.0},
    {"2/3 -Hair", Slot::headUp, Slot::headSide, Slot::headFront, 1.0},
    {"3/3 -Ring", Slot::earringXrot, Slot::earringSway, Slot::earringZrot, RING_SCALE},
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

// frameCount as a loop bound over the store's arrays; a count out of range never reaches beyond
// them.
int framesOf(const Motion& motion) { return std::clamp(motion.frameCount, 0, FRAME_CAPACITY); }

// trunc(50 x value) as a pixel offset. The platform clips long bars to the panel, so bounding the
// offset far outside it changes no picture but keeps a wild or undefined value from overflowing.
int barOffset(double value) {
  const double offset = value * -50.0;
  if (std::isnan(offset)) return 0;
  return -static_cast<int>(std::clamp(offset, -100000.0, 100000.0));
}

void addSlopeMarks(PanelOps& ops, const FrameArray& positions, int frames, int baseline, int step) {
  FrameArray slopeSign{};
  computeSlopeSigns(positions, frames, slopeSign);
  const int marks = std::min(frames - 1, PLOT_WIDTH);
  for (int i = 0; i < marks; ++i) {
    const int x = AXIS_X + i * step;
    const int sign = static_cast<int>(slopeSign[i]);
    ops.push_back(drawLineOp(x, baseline, x, baseline + 50 * sign));
    ops.push_back(drawLineOp(x - 1, baseline + 45 * sign, x + 2, baseline + 45 * sign));
  }
}

}  // namespace

PanelOps clearPanel() { return {fillBlackOp()}; }

PanelOps showGraphPage(PanelState& panel, const MotionStore& store, bool stillMode) {
  panel.panelMode = PanelMode::Graph;
  PanelOps ops = clearPanel();

  const Motion& motion = store.motion;
  const int frames = framesOf(motion);
  const int pageNumber = std::clamp(panel.graphPage, 0, 2);
  const GraphPage& page = GRAPH_PAGES[pageNumber];
  // With no frames there is nothing to plot, and the title stays empty.
  const char* title = frames > 0 ? page.title : "";
  panel.graphPage = (pageNumber + 1) % 3;

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
    addSlopeMarks(ops, motion.hipYPos, frames, BASELINES[0], step);
    addSlopeMarks(ops, motion.hipXPos, frames, BASELINES[1], step);
    addSlopeMarks(ops, motion.hipZPos, frames, BASELINES[2], step);
  }

  const int bars = std::min(frames, PLOT_WIDTH);
  const auto bar = [&](Slot slot, int i) { return barOffset(store.signals[slot][i] * page.scale); };
  for (int i = 0; i < bars; ++i) {
    const int x = AXIS_X + i * step;
    ops.push_back(selectPenOp(TOP_BAR_COLOR));
    ops.push_back(drawLineOp(x, BASELINES[0], x, BASELINES[0] + bar(page.top, i)));
    ops.push_back(selectPenOp(MIDDLE_BAR_COLOR));
    ops.push_back(drawLineOp(x, BASELINES[1], x, BASELINES[1] + bar(page.middle, i)));
    ops.push_back(selectPenOp(BOTTOM_BAR_COLOR));
    ops.push_back(drawLineOp(x, BASELINES[2], x, BASELINES[2] + bar(page.bottom, i)));
  }

  // Axes and ticks last, so that they stay grey where bars and marks cross them.
  ops.push_back(selectPenOp(AXIS_COLOR));
  for (int baseline : BASELINES) ops.push_back(drawLineOp(30, baseline, 300, baseline));
  ops.push_back(drawLineOp(AXIS_X, 1, AXIS_X, 100));
  ops.push_back(drawLineOp(AXIS_X, 102, AXIS_X, 200));
  ops.push_back(drawLineOp(AXIS_X, 202, AXIS_X, 300));

  // One tick per second of animation, the first at frame frameRate. Without a frame rate (no
  // analysis has succeeded yet) there is no second to mark, and a zero spacing would never end.
  const int spacing = store.signals.frameRate * step;
  if (spacing > 0) {
    const int tickLimit = std::min(frames * step + 51, 300);
    for (int x = AXIS_X + spacing; x < tickLimit; x += spacing) {
      for (int baseline : BASELINES) ops.push_back(drawLineOp(x, baseline - 2, x, baseline + 2));
    }
  }
  return ops;
}

void computeSlopeSigns(const FrameArray& values, int frameCount, FrameArray& signs) {
  const int frames = std::clamp(frameCount, 0, FRAME_CAPACITY);
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
