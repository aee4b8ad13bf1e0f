#pragma once

#include "store/motion_store.h"

// What the display panel remembers between drawings: what a click on it shows, which graph page
// comes next, and the arrays of the graph page drawn last. The dialog owns one; a tool that draws
// pages without a dialog makes a fresh one, which starts at the Chest page.

namespace zev {

enum class PanelMode : int {
  Nothing = 0,  // at start: a click does nothing
  Report = 1,   // a click redraws the report page
  Graph = 2,    // a click draws the next graph page
};

struct PanelState {
  PanelMode panelMode = PanelMode::Nothing;
  int graphPage = 0;  // the page drawn next: 0 chest, 1 hair, 2 ring
  // The three curves of the graph page drawn last (bottom, middle, top) and the slope signs of
  // its last hip position array (+1, -1 or 0 per frame).
  FrameArray plotA{};
  FrameArray plotB{};
  FrameArray plotC{};
  FrameArray slopeSign{};
};

}  // namespace zev
