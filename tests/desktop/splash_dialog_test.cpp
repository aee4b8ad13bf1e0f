#include "desktop/splash_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "support/qt_test_main.h"

namespace zev {
namespace {

TEST(SplashDialog, ShowsThePictureAndClosesByItself) {
  SplashDialog splash;
  EXPECT_GE(splash.width(), 200);
  EXPECT_GE(splash.height(), 200);
  QElapsedTimer clock;
  clock.start();
  splash.open();
  ASSERT_TRUE(QTest::qWaitFor([&splash] { return !splash.isVisible(); }, 5000));
  EXPECT_GE(clock.elapsed(), SPLASH_MILLISECONDS - 50);
  EXPECT_EQ(splash.result(), QDialog::Accepted);
}

TEST(SplashDialog, ALeftDoubleClickClosesItAtOnce) {
  SplashDialog splash;
  splash.open();
  QTest::mouseDClick(&splash, Qt::RightButton);
  EXPECT_TRUE(splash.isVisible());
  QTest::mouseDClick(&splash, Qt::LeftButton);
  EXPECT_FALSE(splash.isVisible());
  EXPECT_EQ(splash.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace zev

int main(int argc, char** argv) { return zev::test::runQtTests<QApplication>(argc, argv); }
