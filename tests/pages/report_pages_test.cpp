#include "pages/report_pages.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "pages/graph_view.h"
#include "pages/panel_state.h"
#include "store/motion_store.h"

namespace zev {
namespace {

// The text finally standing at each y (the last drawing there), with its x, colour and tab stop.
struct Resting {
  int x;
  std::string text;
  PanelColor color;
  int tabStop;
};

std::map<int, Resting> restingLines(const PanelOps& ops) {
  std::map<int, Resting> lines;
  PanelColor color;
  for (const PanelOp& op : ops) {
    if (op.kind == PanelOpKind::SetTextColors) color = op.color;
    if (op.kind == PanelOpKind::DrawText) lines[op.y] = {op.x, op.text, color, op.tabStop};
  }
  return lines;
}

int totalPause(const PanelOps& ops) {
  int total = 0;
  for (const PanelOp& op : ops) total += op.milliseconds;
  return total;
}

TEST(ReportPages, ReportBeforeAnyFile) {
  const auto store = std::make_unique<MotionStore>();
  PanelState panel;
  const PanelOps ops = showReportPage(panel, *store, "N/A ", 10);
  EXPECT_EQ(panel.panelMode, PanelMode::Report);
  EXPECT_EQ(ops.front().kind, PanelOpKind::FillBlack);
  const std::map<int, Resting> lines = restingLines(ops);
  EXPECT_EQ(lines.at(40).text, " FILE NAME:       \tN/A ");
  EXPECT_EQ(lines.at(60).text, " FRAME RATE:     \t0 fps");
  EXPECT_EQ(lines.at(80).text, " TOTAL FRAME:    \t0");
  EXPECT_EQ(lines.at(100).text, " TOTAL TIME:     \t0.0 sec");
  EXPECT_EQ(lines.at(120).text, " GRAVITATION:    \t9.8 m/s\u00B2");
  EXPECT_EQ(lines.at(185).text, " FRAME RATE:     \t15 fps");
  EXPECT_EQ(lines.at(205).text, " MIN FRAME:       \t15 ");
  EXPECT_EQ(lines.at(225).text, " MAX FRAME:       \t500 ");
  EXPECT_EQ(lines.at(245).text, " MAX TIME:        \t33.3 sec");
  for (int y : {40, 60, 80, 100, 120}) {
    EXPECT_EQ(lines.at(y).x, 19);
    EXPECT_EQ(lines.at(y).color, REPORT_LINE_COLOR);
    EXPECT_EQ(lines.at(y).tabStop, 40);
  }
  for (int y : {185, 205, 225, 245}) EXPECT_EQ(lines.at(y).color, SYSTEM_LINE_COLOR);
  EXPECT_EQ(lines.at(14).text, " BVH FORMAT REPORT");
  EXPECT_EQ(lines.at(14).color, PAGE_TITLE_COLOR);
  EXPECT_EQ(lines.at(159).text, " Z.E.V SYSTEM SPEC.");
  EXPECT_EQ(totalPause(ops), 606);
  // The first title step stands at y = 1 and the first line step at x = 1.
  EXPECT_EQ(ops[3], drawTextOp(5, 1, " BVH FORMAT REPORT"));
  EXPECT_EQ(ops[32], drawTextOp(1, 40, " FILE NAME:       \tN/A ", 40));
}

TEST(ReportPages, ReportOfALoadedMotion) {
  const auto store = std::make_unique<MotionStore>();
  store->motion.frameCount = 25;
  store->motion.frameTime = 0.05;
  store->signals.frameRate = 30;
  PanelState panel;
  std::map<int, Resting> lines =
      restingLines(showReportPage(panel, *store, "a-very-long-file-title", 1));
  EXPECT_EQ(lines.at(40).text, " FILE NAME:       \ta-very-long-fil");
  EXPECT_EQ(lines.at(60).text, " FRAME RATE:     \t30 fps*");
  EXPECT_EQ(lines.at(80).text, " TOTAL FRAME:    \t25");
  EXPECT_EQ(lines.at(100).text, " TOTAL TIME:     \t1.3 sec");
  EXPECT_EQ(lines.at(120).text, " GRAVITATION:    \t1.0 m/s\u00B2");

  store->signals.frameRate = 15;
  lines = restingLines(showReportPage(panel, *store, "walk", 20));
  EXPECT_EQ(lines.at(60).text, " FRAME RATE:     \t15 fps");
  EXPECT_EQ(lines.at(120).text, " GRAVITATION:    \t19.6 m/s\u00B2");

  store->signals.loopPass = true;
  lines = restingLines(showReportPage(panel, *store, "walk", 20));
  EXPECT_EQ(lines.at(80).text, " TOTAL FRAME:    \t25    LOOP: ON");
}

TEST(ReportPages, TitleIsCutToFifteenWholeCharacters) {
  const auto store = std::make_unique<MotionStore>();
  PanelState panel;
  // Fourteen letters and two accented ones of two bytes each.
  const std::map<int, Resting> lines =
      restingLines(showReportPage(panel, *store, "abcdefghijklmn\u00E9\u00E8", 10));
  EXPECT_EQ(lines.at(40).text, " FILE NAME:       \tabcdefghijklmn\u00E9");
}

TEST(ReportPages, AboutPage) {
  const PanelOps ops = showAboutPage();
  const std::map<int, Resting> lines = restingLines(ops);
  EXPECT_EQ(lines.at(14).text, "POSER's TREMOLO");
  EXPECT_EQ(lines.at(175).text, "Hair:  \tBrannik's Pony Tail");
  EXPECT_EQ(lines.at(175).tabStop, 55);
  EXPECT_EQ(lines.at(225).tabStop, 0);
  EXPECT_EQ(lines.at(250).color, ABOUT_LINE_COLOR);
  // Only what is true: the installed guide, not an address that leads nowhere.
  EXPECT_EQ(lines.at(225).text, "More Information ...");
  EXPECT_EQ(lines.at(250).text, "   README.md");
  EXPECT_EQ(ops.back(), copyPictureOp(ABOUT_PICTURE, 260, 20));
  EXPECT_EQ(totalPause(ops), 70);
}

TEST(ReportPages, ClickDispatchesByPanelMode) {
  const auto store = std::make_unique<MotionStore>();
  PanelState panel;
  const auto click = [&] { return onPanelClick(panel, *store, "walk", 10, true); };
  EXPECT_TRUE(click().empty());

  panel.panelMode = PanelMode::Report;
  EXPECT_EQ(restingLines(click()).at(14).text, " BVH FORMAT REPORT");
  EXPECT_EQ(panel.panelMode, PanelMode::Report);

  store->motion.frameCount = 15;
  showGraphPage(panel, *store, true);
  const std::map<int, Resting> next = restingLines(click());
  EXPECT_EQ(next.at(290).text, "2/3 -Hair");
  EXPECT_EQ(panel.panelMode, PanelMode::Graph);
}

}  // namespace
}  // namespace zev
