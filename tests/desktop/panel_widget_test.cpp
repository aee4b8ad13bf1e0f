#include "desktop/panel_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
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

// The colour of the panel unit at (x, y), read from its top-left pixel at the image's ratio.
QColor unitColor(const QImage& image, int x, int y) {
  const qreal ratio = image.devicePixelRatio();
  return image.pixelColor(qRound(x * ratio), qRound(y * ratio));
}

// What ops draw onto a fresh panel of that pixel ratio, without pauses.
QImage stillPicture(const PanelOps& ops, qreal ratio, int dotsPerInch) {
  QImage image(QSize(PANEL_WIDTH, PANEL_HEIGHT) * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::black);
  PanelRenderer(image, dotsPerInch).play(ops);
  return image;
}

// A graph page whose one bar runs down from (66, 50) to (66, 99).
PanelOps graphPageWithOneBar() {
  const auto store = std::make_unique<MotionStore>();
  store->motion.frameCount = 15;
  store->signals.frameRate = 15;
  store->signals[Slot::chestUp][1] = 1.0;
  PanelState pages;
  return showGraphPage(pages, *store, true);
}

TEST(PanelWidget, RepaintShowsTheLastPageAgain) {
  PanelWidget panel;
  panel.show();
  panel.play(graphPageWithOneBar());
  EXPECT_EQ(unitColor(panel.image(), 66, 75), QColor(0, 220, 0));
  panel.hide();
  panel.show();
  // grab() paints the widget afresh, as an uncovered window would.
  EXPECT_EQ(unitColor(panel.grab().toImage(), 66, 75), QColor(0, 220, 0));

  panel.play(clearPanel());
  EXPECT_EQ(unitColor(panel.grab().toImage(), 66, 75), QColor(Qt::black));
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
  EXPECT_EQ(panel.image(), stillPicture(report, panel.devicePixelRatioF(), panel.logicalDpiY()));
}

// Run once as is and once with QT_SCALE_FACTOR=2, as a screen at 200 % would show the panel.
TEST(PanelWidget, DrawsAtTheScreensPixelRatio) {
  PanelWidget panel;
  panel.show();
  const qreal ratio = panel.devicePixelRatioF();
  EXPECT_EQ(ratio, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
  const int r = qRound(ratio);
  panel.play({selectPenOp({0, 220, 0}), drawLineOp(10, 10, 10, 20)});

  const QImage image = panel.image();
  EXPECT_EQ(image.size(), QSize(PANEL_WIDTH, PANEL_HEIGHT) * r);
  // A one-unit line is r pixels wide, not one pixel stretched.
  EXPECT_EQ(image.pixelColor(10 * r - 1, 15 * r), QColor(Qt::black));
  for (int x = 10 * r; x < 11 * r; ++x) EXPECT_EQ(image.pixelColor(x, 15 * r), QColor(0, 220, 0));
  EXPECT_EQ(image.pixelColor(11 * r, 15 * r), QColor(Qt::black));
  // The screen shows the image pixel for pixel.
  EXPECT_EQ(panel.grab().toImage().convertToFormat(image.format()), image);
}

// Run with two screens of different pixel ratios (tests/desktop/two-screens.json).
TEST(PanelWidget, MovedToAScreenOfAnotherRatioDrawsThePageAgain) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.size() < 2 || screens[0]->devicePixelRatio() == screens[1]->devicePixelRatio()) {
    GTEST_SKIP() << "needs two screens of different pixel ratios";
  }
  const PanelOps page = graphPageWithOneBar();
  PanelWidget panel;
  panel.move(screens[0]->geometry().topLeft());
  panel.show();
  panel.play(page);
  ASSERT_EQ(panel.image().devicePixelRatio(), screens[0]->devicePixelRatio());

  panel.windowHandle()->setScreen(screens[1]);
  panel.move(screens[1]->geometry().topLeft());
  ASSERT_TRUE(QTest::qWaitFor([&] { return panel.screen() == screens[1]; }, 2000));
  panel.grab();
  EXPECT_EQ(panel.image(), stillPicture(page, screens[1]->devicePixelRatio(), panel.logicalDpiY()));
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
