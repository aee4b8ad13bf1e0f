#include "pictures/panel_renderer.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <memory>

#include "pages/graph_view.h"
#include "pages/panel_state.h"
#include "pages/report_pages.h"
#include "pictures/pictures.h"
#include "store/motion_store.h"
#include "support/qt_test_main.h"

namespace zev {
namespace {

QImage render(const PanelOps& ops, QColor start = Qt::black) {
  QImage image(PANEL_WIDTH, PANEL_HEIGHT, QImage::Format_RGB32);
  image.fill(start);
  PanelRenderer(image, PANEL_DOTS_PER_INCH).play(ops);
  return image;
}

QColor rgb(PanelColor color) { return QColor(color.red, color.green, color.blue); }

bool anyPixelIn(const QImage& image, const QRect& area, QColor color) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (image.pixelColor(x, y) == color) return true;
    }
  }
  return false;
}

bool allBlackIn(const QImage& image, const QRect& area) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (image.pixelColor(x, y) != QColor(Qt::black)) return false;
    }
  }
  return true;
}

TEST(PanelRenderer, LinesLeaveTheirEndPointUnpainted) {
  const QImage image =
      render({selectPenOp({0, 220, 0}), drawLineOp(10, 10, 10, 20), drawLineOp(30, 5, 20, 5),
              drawLineOp(40, 40, 40, 40), drawLineOp(50, 50, 54, 52)});
  EXPECT_EQ(image.pixelColor(10, 10), QColor(0, 220, 0));
  EXPECT_EQ(image.pixelColor(10, 19), QColor(0, 220, 0));
  EXPECT_EQ(image.pixelColor(10, 20), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(30, 5), QColor(0, 220, 0));
  EXPECT_EQ(image.pixelColor(21, 5), QColor(0, 220, 0));
  EXPECT_EQ(image.pixelColor(20, 5), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(40, 40), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(50, 50), QColor(0, 220, 0));
  EXPECT_EQ(image.pixelColor(54, 52), QColor(Qt::black));
}

TEST(PanelRenderer, LinesFarBeyondThePanelAreCutAtItsEdge) {
  // A wild signal's bar: drawn pixel by pixel, these would take seconds and gigabytes.
  constexpr int FAR = 1'000'000'000;
  const QImage image =
      render({selectPenOp({0, 220, 0}), drawLineOp(10, 50, 10, FAR), drawLineOp(20, 250, 20, -FAR),
              drawLineOp(30, 300, FAR, 300), drawLineOp(FAR, 305, -FAR, 305)});
  EXPECT_EQ(image.pixelColor(10, 50), QColor(0, 220, 0));
  EXPECT_EQ(image.pixelColor(10, PANEL_HEIGHT - 1), QColor(0, 220, 0));
  EXPECT_EQ(image.pixelColor(10, 49), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(20, 0), QColor(0, 220, 0));
  EXPECT_EQ(image.pixelColor(20, 251), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(PANEL_WIDTH - 1, 300), QColor(0, 220, 0));
  EXPECT_EQ(image.pixelColor(29, 300), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(0, 305), QColor(0, 220, 0));
}

TEST(PanelRenderer, GraphPageBarAxisAndMark) {
  const auto store = std::make_unique<MotionStore>();
  store->motion.frameCount = 15;
  store->signals.frameRate = 15;
  store->signals[Slot::chestUp][1] = 1.0;
  store->signals[Slot::chestFront][2] = -0.5;
  for (int i = 0; i < 15; ++i) store->motion.hipYPos[i] = i;
  PanelState panel;
  const QImage image = render(showGraphPage(panel, *store, false));

  // Frame 1's bar runs 50 pixels down from the top baseline, without its end point.
  EXPECT_EQ(image.pixelColor(66, 75), rgb(TOP_BAR_COLOR));
  EXPECT_EQ(image.pixelColor(66, 99), rgb(TOP_BAR_COLOR));
  EXPECT_EQ(image.pixelColor(66, 100), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(82, 230), rgb(BOTTOM_BAR_COLOR));
  // Axes over the bars, the vertical axis broken between its pieces.
  EXPECT_EQ(image.pixelColor(66, 50), rgb(AXIS_COLOR));
  EXPECT_EQ(image.pixelColor(35, 150), rgb(AXIS_COLOR));
  EXPECT_EQ(image.pixelColor(50, 60), rgb(AXIS_COLOR));
  EXPECT_EQ(image.pixelColor(50, 101), QColor(Qt::black));
  // The rising hip height keeps marks at frames 12 and 13 only, with their cross bars.
  EXPECT_EQ(image.pixelColor(242, 75), rgb(MARK_COLOR));
  EXPECT_EQ(image.pixelColor(243, 95), rgb(MARK_COLOR));
  EXPECT_EQ(image.pixelColor(244, 95), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(226, 75), QColor(Qt::black));
  // One tick, at frame 15.
  EXPECT_EQ(image.pixelColor(290, 48), rgb(AXIS_COLOR));
  EXPECT_EQ(image.pixelColor(290, 52), QColor(Qt::black));
  // The title in the bottom right corner.
  EXPECT_TRUE(anyPixelIn(image, QRect(295, 290, 50, 14), rgb(GRAPH_TEXT_COLOR)));
}

TEST(PanelRenderer, TextCellIsOpaqueAndTabsExpandFromXOne) {
  const QImage image = render({selectFontOp(13), setTextColorsOp({96, 96, 210}, PANEL_BLACK),
                               drawTextOp(5, 10, "\tMW", 40)},
                              Qt::white);
  // The text after the tab starts at x = 41; the cell from x = 5 on is painted black.
  EXPECT_TRUE(allBlackIn(image, QRect(5, 12, 36, 14)));
  EXPECT_TRUE(anyPixelIn(image, QRect(41, 10, 30, 20), QColor(96, 96, 210)));
  EXPECT_EQ(image.pixelColor(4, 15), QColor(Qt::white));
}

TEST(PanelRenderer, ReportPageShowsItsLinesInTheirColours) {
  const auto store = std::make_unique<MotionStore>();
  PanelState panel;
  const QImage image = render(showReportPage(panel, *store, "walk", 10));
  EXPECT_TRUE(anyPixelIn(image, QRect(5, 14, 150, 17), rgb(PAGE_TITLE_COLOR)));
  EXPECT_TRUE(anyPixelIn(image, QRect(19, 40, 200, 17), rgb(REPORT_LINE_COLOR)));
  EXPECT_TRUE(anyPixelIn(image, QRect(19, 245, 200, 17), rgb(SYSTEM_LINE_COLOR)));
  EXPECT_TRUE(allBlackIn(image, QRect(0, 290, PANEL_WIDTH, 21)));
}

TEST(PanelRenderer, AboutPageCopiesItsPicture) {
  const QImage picture = aboutPicture().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(picture.size(), QSize(64, 64));
  const QImage image = render(showAboutPage());
  EXPECT_EQ(image.copy(260, 20, 64, 64), picture);
  EXPECT_EQ(splashPicture().size(), QSize(200, 200));
  EXPECT_FALSE(applicationIcon().isNull());
}

}  // namespace
}  // namespace zev

int main(int argc, char** argv) { return zev::test::runQtTests<QGuiApplication>(argc, argv); }
