#include "pages/report_pages.h"

#include <array>
#include <cstdio>
#include <string>

#include "common/number_format.h"
#include "common/version.h"
#include "pages/graph_view.h"
#include "store/frame_rate.h"

namespace zev {

namespace {

// Where more information really is: the guide that is installed with the program.
constexpr const char* DOCUMENTATION = "README.md";
// The character 178 of the page's code page: a superscript two.
constexpr const char* SUPERSCRIPT_TWO = "\u00B2";
// A reference frame's time as the page computes the longest motion's duration: in single
// precision.
constexpr double REFERENCE_FRAME_SECONDS = static_cast<float>(REFERENCE_FRAME_TIME);

std::string formatInt(const char* format, int value) {
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), format, value);
  return text.data();
}

std::string oneDecimal(double value) { return std::string(formatFixed(value, 1).view()); }

// The first 15 characters of a title; a character written in several UTF-8 bytes stays whole.
std::string_view shortTitle(std::string_view title) {
  int characters = 0;
  for (std::size_t i = 0; i < title.size(); ++i) {
    const bool startsCharacter = (static_cast<unsigned char>(title[i]) & 0xC0) != 0x80;
    if (startsCharacter && ++characters > 15) return title.substr(0, i);
  }
  return title;
}

bool hasTab(const std::string& text) { return text.find('\t') != std::string::npos; }

// A page line drawn at (x, y), with tab expansion where it holds a tab.
PanelOp pageLineOp(int x, int y, const std::string& text, int tabStop) {
  return drawTextOp(x, y, text, hasTab(text) ? tabStop : 0);
}

// The title slides down one pixel per step, from firstY to firstY + 13.
void addSlidingTitle(PanelOps& ops, const char* title, int firstY) {
  ops.push_back(setTextColorsOp(PAGE_TITLE_COLOR, PANEL_BLACK));
  for (int y = firstY; y < firstY + 14; ++y) {
    ops.push_back(drawTextOp(5, y, title));
    ops.push_back(pauseOp(5));
  }
}

struct PageLine {
  int y;
  std::string text;
};

// The lines slide right together one pixel per step and come to rest at x = 19.
template <std::size_t N>
void addSlidingLines(PanelOps& ops, PanelColor color, const std::array<PageLine, N>& lines) {
  ops.push_back(setTextColorsOp(color, PANEL_BLACK));
  for (int x = 1; x <= 19; ++x) {
    for (const PageLine& line : lines)
      ops.push_back(pageLineOp(x, line.y, line.text, REPORT_TAB_STOP));
    ops.push_back(pauseOp(7));
  }
}

}  // namespace

PanelOps showReportPage(PanelState& panel, const MotionStore& store, std::string_view fileTitle,
                        int gCoefficient) {
  panel.panelMode = PanelMode::Report;
  PanelOps ops = clearPanel();

  const Motion& motion = store.motion;
  const int frameRate = store.signals.frameRate;
  std::string frameRateLine = formatInt(" FRAME RATE:     \t%d fps", frameRate);
  if (frameRate != REFERENCE_FRAME_RATE && frameRate != 0) frameRateLine += "*";
  const std::string fileNameLine = " FILE NAME:       \t" + std::string(shortTitle(fileTitle));
  std::string totalFrameLine = formatInt(" TOTAL FRAME:    \t%d", motion.frameCount);
  // The frames are one cycle that plays again and again.
  if (store.signals.loopPass) totalFrameLine += "    LOOP: ON";
  // Before any read frameTime is 0: the rate is infinite and the duration 0.
  const double seconds = motion.frameCount / (1.0 / motion.frameTime);
  const std::string totalTimeLine = " TOTAL TIME:     \t" + oneDecimal(seconds) + " sec";
  const std::string gravitationLine =
      " GRAVITATION:    \t" + oneDecimal(gCoefficient * 0.98) + " m/s" + SUPERSCRIPT_TWO;

  // The system's own figures: the reference rate and the frame counts the reader accepts.
  const std::string rateLine = formatInt(" FRAME RATE:     \t%d fps", REFERENCE_FRAME_RATE);
  const std::string minFrameLine = formatInt(" MIN FRAME:       \t%d ", MIN_FRAMES);
  const std::string maxFrameLine = formatInt(" MAX FRAME:       \t%d ", MAX_FRAMES);
  const std::string maxTimeLine =
      " MAX TIME:        \t" + oneDecimal(MAX_FRAMES * REFERENCE_FRAME_SECONDS) + " sec";

  ops.push_back(selectFontOp(REPORT_FONT_POINTS));
  addSlidingTitle(ops, " BVH FORMAT REPORT", 1);
  addSlidingLines(ops, REPORT_LINE_COLOR,
                  std::array<PageLine, 5>{{{40, fileNameLine},
                                           {60, frameRateLine},
                                           {80, totalFrameLine},
                                           {100, totalTimeLine},
                                           {120, gravitationLine}}});
  ops.push_back(pauseOp(200));
  addSlidingTitle(ops, " Z.E.V SYSTEM SPEC.", 146);
  addSlidingLines(
      ops, SYSTEM_LINE_COLOR,
      std::array<PageLine, 4>{
          {{185, rateLine}, {205, minFrameLine}, {225, maxFrameLine}, {245, maxTimeLine}}});
  return ops;
}

PanelOps showAboutPage() {
  PanelOps ops = clearPanel();
  ops.push_back(selectFontOp(ABOUT_FONT_POINTS));
  addSlidingTitle(ops, "POSER's TREMOLO", 1);
  ops.push_back(setTextColorsOp(ABOUT_LINE_COLOR, PANEL_BLACK));
  const std::array<PageLine, 6> lines{{{50, "Version:\t" + std::string(ZEV_VERSION)},
                                       {100, "Author:\tKORVA"},
                                       {150, "Figure:\tOrvel's Lite Series"},
                                       {175, "Hair:  \tBrannik's Pony Tail"},
                                       {225, "More Information ..."},
                                       {250, std::string("   ") + DOCUMENTATION}}};
  for (const PageLine& line : lines)
    ops.push_back(pageLineOp(20, line.y, line.text, ABOUT_TAB_STOP));
  ops.push_back(copyPictureOp(ABOUT_PICTURE, 260, 20));
  return ops;
}

PanelOps onPanelClick(PanelState& panel, const MotionStore& store, std::string_view fileTitle,
                      int gCoefficient, bool stillMode) {
  switch (panel.panelMode) {
    case PanelMode::Report:
      return showReportPage(panel, store, fileTitle, gCoefficient);
    case PanelMode::Graph:
      return showGraphPage(panel, store, stillMode);
    case PanelMode::Nothing:
      break;
  }
  return {};
}

}  // namespace zev
