#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the pages draw on the display panel, as a list of plain drawing operations. The page logic
// produces such a list without knowing any window system; one renderer plays it onto the panel or
// into a picture. Coordinates are pixels in the panel, origin top left, y downwards.

namespace zev {

inline constexpr int PANEL_WIDTH = 346, PANEL_HEIGHT = 311;
// The resolution that the panel's measures are made for.
inline constexpr int PANEL_DOTS_PER_INCH = 96;
// The face of every text on the panel; where the system has no Arial, the program's built-in
// Liberation Sans takes its room.
inline constexpr std::string_view PANEL_FONT_FACE = "Arial";
// The about page's 64 x 64 picture.
inline constexpr int ABOUT_PICTURE = 157;

struct PanelColor {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const PanelColor&) const = default;
};

inline constexpr PanelColor PANEL_BLACK{0, 0, 0};

enum class PanelOpKind {
  FillBlack,      // the whole panel
  SelectPen,      // color: one pixel wide, solid
  DrawLine,       // (x, y) to (x2, y2); the end point itself is not painted
  SelectFont,     // pointSize: PANEL_FONT_FACE at that many points
  SetTextColors,  // color on an opaque background
  DrawText,       // text (UTF-8) with its top-left corner at (x, y); tabStop > 0 expands tabs
  Pause,          // milliseconds
  CopyPicture,    // pictureId, unscaled, top-left corner at (x, y)
};

struct PanelOp {
  PanelOpKind kind = PanelOpKind::FillBlack;
  int x = 0;
  int y = 0;
  int x2 = 0;
  int y2 = 0;
  PanelColor color;
  PanelColor background;
  int pointSize = 0;
  // Distance between tab positions, counted from x = 1; 0 draws the text without tab expansion.
  int tabStop = 0;
  int milliseconds = 0;
  int pictureId = 0;
  std::string text;

  bool operator==(const PanelOp&) const = default;
};

using PanelOps = std::vector<PanelOp>;

// The x from which tab positions are counted.
inline constexpr int TAB_ORIGIN_X = 1;

// Character height in pixels of a font of that many points at a resolution of dotsPerInch,
// rounded to the nearest pixel in whole numbers, as the panel's platform converts point sizes
// (13 points at 96 dots per inch: 17 pixels).
constexpr int fontPixelSize(int pointSize, int dotsPerInch) {
  return (pointSize * dotsPerInch + 36) / 72;
}

PanelOp fillBlackOp();
PanelOp selectPenOp(PanelColor color);
PanelOp drawLineOp(int x, int y, int x2, int y2);
PanelOp selectFontOp(int pointSize);
PanelOp setTextColorsOp(PanelColor text, PanelColor background);
PanelOp drawTextOp(int x, int y, std::string text, int tabStop = 0);
PanelOp pauseOp(int milliseconds);
PanelOp copyPictureOp(int pictureId, int x, int y);

}  // namespace zev
