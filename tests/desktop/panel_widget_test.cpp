#include "desktop/panel_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <array>
#include <functional>
#include <memory>

#include "pages/graph_view.h"
#include "pages/panel_state.h"
#include "pages/report_pages.h"
#include "pictures/panel_renderer.h"
#include "store/motion_store.h"
#include "support/qt_test_main.h"

namespace zev {
namespace {

TEST(PanelWidget, RepaintShowsTheLastPageAgain) {
  const auto store = std::make_unique<MotionStore>();
  store->motion.frameCount = 15;
  store->signals.frameRate = 15;
  store->signals[Slot::chestUp][1] = 1.0;
  PanelState pages;
  PanelWidget panel;
  panel.show();
  panel.play(showGraphPage(pages, *store, true));
  EXPECT_EQ(panel.image().pixelColor(66, 75), QColor(0, 220, 0));
  panel.hide();
  panel.show();
  // grab() paints the widget afresh, as an uncovered window would.
  EXPECT_EQ(panel.grab().toImage().pixelColor(66, 75), QColor(0, 220, 0));

  panel.play(clearPanel());
  EXPECT_EQ(panel.grab().toImage().pixelColor(66, 75), QColor(Qt::black));
}

TEST(PanelWidget, ShownPageTakesItsPausesAndEndsAsTheStillPicture) {
  const auto store = std::make_unique<MotionStore>();
  PanelState pages;
  const PanelOps report = showReportPage(pages, *store, "walk", 10);
  PanelWidget panel;
  panel.show();
  QElapsedTimer timer;
  timer.start();
  panel.play(report);
  EXPECT_GE(timer.elapsed(), 600);

  QImage still(PANEL_WIDTH, PANEL_HEIGHT, QImage::Format_RGB32);
  still.fill(Qt::black);
  PanelRenderer(still, panel.logicalDpiY()).play(report);
  EXPECT_EQ(panel.image(), still);
}

TEST(PanelWidget, EveryLeftClickCountsOnce) {
  struct Gesture {
    const char* name;
    std::function<void(QWidget*)> perform;
    int clicks;
  };
  const QPoint at(10, 10);
  const std::array<Gesture, 4> gestures{{
      {"left click", [at](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, at); }, 1},
      {"right click", [at](QWidget* w) { QTest::mouseClick(w, Qt::RightButton, {}, at); }, 0},
      {"middle click", [at](QWidget* w) { QTest::mouseClick(w, Qt::MiddleButton, {}, at); }, 0},
      // A double-click must not skip a graph page or play the report page twice.
      {"left double-click",
       [at](QWidget* w) { QTest::mouseDClick(w->windowHandle(), Qt::LeftButton, {}, at); }, 1},
  }};
  for (const Gesture& gesture : gestures) {
    SCOPED_TRACE(gesture.name);
    PanelWidget panel;
    panel.show();
    QSignalSpy spy(&panel, &PanelWidget::clicked);
    gesture.perform(&panel);
    EXPECT_EQ(spy.count(), gesture.clicks);
  }
}

}  // namespace
}  // namespace zev

int main(int argc, char** argv) { return zev::test::runQtTests<QApplication>(argc, argv); }
