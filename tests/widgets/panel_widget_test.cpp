#include "ui/panel_widget.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "store/motion_store.h"
#include "support/test_support.h"
#include "ui/graph_view.h"
#include "ui/panel_renderer.h"
#include "ui/report_pages.h"
#include "widget_test_main.h"

namespace zev {
namespace {

TEST(PanelWidget, RepaintShowsTheLastPageAgain) {
  test::resetMotionStore();
  MotionStore& store = motionStore();
  store.frameCount = 15;
  store.frameRate = 15;
  store.slots[chestUp][1] = 1.0;
  PanelWidget panel;
  panel.show();
  panel.play(showGraphPage(true));
  EXPECT_EQ(panel.image().pixelColor(66, 75), QColor(0, 220, 0));
  panel.hide();
  panel.show();
  // grab() paints the widget afresh, as an uncovered window would.
  EXPECT_EQ(panel.grab().toImage().pixelColor(66, 75), QColor(0, 220, 0));

  panel.play(clearPanel());
  EXPECT_EQ(panel.grab().toImage().pixelColor(66, 75), QColor(Qt::black));
}

TEST(PanelWidget, ShownPageTakesItsPausesAndEndsAsTheStillPicture) {
  test::resetMotionStore();
  PanelWidget panel;
  panel.show();
  QElapsedTimer timer;
  timer.start();
  panel.play(showReportPage("walk", 10));
  EXPECT_GE(timer.elapsed(), 600);

  QImage still(PANEL_WIDTH, PANEL_HEIGHT, QImage::Format_RGB32);
  still.fill(Qt::black);
  PanelRenderer(still, panel.logicalDpiY()).play(showReportPage("walk", 10));
  EXPECT_EQ(panel.image(), still);
}

TEST(PanelWidget, MousePressEmitsClicked) {
  PanelWidget panel;
  panel.show();
  QSignalSpy spy(&panel, &PanelWidget::clicked);
  QTest::mousePress(&panel, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_EQ(spy.count(), 1);
  QTest::mouseRelease(&panel, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  for (Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
    QTest::mousePress(&panel, other, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseRelease(&panel, other, Qt::NoModifier, QPoint(10, 10));
  }
  EXPECT_EQ(spy.count(), 1);
}

}  // namespace
}  // namespace zev

int main(int argc, char** argv) { return zev::test::runWidgetTests(argc, argv); }
