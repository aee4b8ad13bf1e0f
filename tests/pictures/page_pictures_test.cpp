#include "pictures/page_pictures.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "pages/panel_ops.h"
#include "store/motion_store.h"
#include "support/qt_test_main.h"

namespace zev {
namespace {

QImage decode(const std::string& png) {
  return QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()),
                          "PNG");
}

std::unique_ptr<MotionStore> loadMotion() {
  auto store = std::make_unique<MotionStore>();
  store->motion.frameCount = 30;
  store->motion.frameTime = 1.0 / 30;
  store->signals.frameRate = 30;
  for (int i = 0; i < 30; ++i) {
    store->signals[Slot::chestUp][i] = 0.5;
    store->signals[Slot::headSide][i] = -0.5;
    store->signals[Slot::earringZrot][i] = 45.0;
    store->motion.hipYPos[i] = i % 4;
  }
  return store;
}

TEST(PagePictures, DrawsThreeGraphPagesAndTheReport) {
  const std::unique_ptr<MotionStore> store = loadMotion();
  const PagePictures pictures = drawPagePictures(*store, "walk", false, 10);
  ASSERT_EQ(PAGE_PICTURE_NAMES,
            (std::array<std::string_view, 4>{"chest", "hair", "ring", "report"}));
  const QImage chest = decode(pictures[0]);
  const QImage hair = decode(pictures[1]);
  const QImage ring = decode(pictures[2]);
  const QImage report = decode(pictures[3]);
  for (const QImage& image : {chest, hair, ring, report}) {
    EXPECT_EQ(image.size(), QSize(PANEL_WIDTH, PANEL_HEIGHT));
  }
  const QColor green(0, 220, 0);
  const QColor blue(0, 0, 220);
  const QColor yellow(220, 220, 0);
  EXPECT_EQ(chest.pixelColor(58, 60), green);
  EXPECT_EQ(hair.pixelColor(58, 140), blue);
  EXPECT_EQ(ring.pixelColor(58, 260), yellow);
  // Movie mode: the hip height turns every few frames, so marks stand on the top baseline.
  bool marked = false;
  for (int x = 50; x < 300; ++x) marked = marked || ring.pixelColor(x, 20) == QColor(255, 0, 0);
  EXPECT_TRUE(marked);
  EXPECT_EQ(report.pixelColor(300, 300), QColor(Qt::black));
  EXPECT_NE(report, chest);
}

}  // namespace
}  // namespace zev

int main(int argc, char** argv) { return zev::test::runQtTests<QGuiApplication>(argc, argv); }
