#pragma once

#include <array>
#include <string>
#include <string_view>

// What the display panel remembers between drawings: what a click on it shows and which graph page
// comes next. The dialog owns one; a tool that draws pages without a dialog makes a fresh one,
// which starts at the Chest page.

namespace zev {

struct MotionStore;

enum class PanelMode : int {
  Nothing = 0,  // at start: a click does nothing
  Report = 1,   // a click redraws the report page
  Graph = 2,    // a click draws the next graph page
};

struct PanelState {
  PanelMode panelMode = PanelMode::Nothing;
  int graphPage = 0;  // the page drawn next: 0 chest, 1 hair, 2 ring
};

// The pages a tool without a window draws as pictures, in the order it draws them: the three graph
// pages as a fresh panel shows them, then the report page. Each name ends its picture's file name
// ("walk-chest.png").
inline constexpr std::array<std::string_view, 4> PAGE_PICTURE_NAMES{"chest", "hair", "ring",
                                                                    "report"};
// The PNG file of each of those pages, in that order; empty for a page that could not be encoded.
using PagePictures = std::array<std::string, PAGE_PICTURE_NAMES.size()>;

// What those pages are drawn from: the motion and its signals, the motion's file title and the G
// coefficient that the report page shows, and the mode, whose graph pages without still mode
// carry slope marks.
struct PagePictureRequest {
  const MotionStore& store;
  std::string_view title;
  bool stillMode;
  int gCoefficient;
};

}  // namespace zev
