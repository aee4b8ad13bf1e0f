#pragma once

#include "pages/panel_ops.h"
#include "pages/panel_state.h"
#include "store/motion_store.h"

// The three graph pages of the display panel (Chest, Hair, Ring): each plots three signals of the
// loaded motion as vertical bars on three stacked baselines, with grey axes, a tick every second
// of animation, six direction labels, the page title and, in movie mode, red marks that show
// whether a hip position array rises or falls. Drawing a page moves on to the next one.

namespace zev {

inline constexpr PanelColor AXIS_COLOR{155, 155, 155};
inline constexpr PanelColor TOP_BAR_COLOR{0, 220, 0};
inline constexpr PanelColor MIDDLE_BAR_COLOR{0, 0, 220};
inline constexpr PanelColor MARK_COLOR{255, 0, 0};
inline constexpr PanelColor BOTTOM_BAR_COLOR{220, 220, 0};
inline constexpr PanelColor GRAPH_TEXT_COLOR{160, 160, 160};
inline constexpr int GRAPH_FONT_POINTS = 8;

// Paints the whole panel black.
PanelOps clearPanel();

// Sets the panel to graph mode, advances graphPage and describes page graphPage: its three
// signals of store as bars, and slope marks of the hip positions only when stillMode is false.
PanelOps showGraphPage(PanelState& panel, const MotionStore& store, bool stillMode);

// slopeSign from the frame-to-frame slope of values over frameCount frames, keeping a sign only
// where the two following signs differ (the last two always stay).
void computeSlopeSigns(const FrameArray& values, int frameCount, FrameArray& slopeSign);

}  // namespace zev
