#include "pictures/page_pictures.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <filesystem>
#include <memory>
#include <string>

#include "pages/panel_ops.h"
#include "store/motion_store.h"
#include "support/qt_test_main.h"
#include "support/test_support.h"

namespace zev {
namespace {

QImage load(const std::filesystem::path& path) {
  return QImage(QString::fromStdString(path.string()));
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

TEST(PagePictures, WritesThreeGraphPagesAndTheReport) {
  const std::unique_ptr<MotionStore> store = loadMotion();
  const test::TempDir dir;
  const std::filesystem::path folder = dir.path() / "pictures";
  const SaveResult result = writePagePictures(folder, "walk", *store, false, 10);
  ASSERT_TRUE(result.ok()) << result.target << ": " << result.reason();

  const QImage chest = load(folder / "walk-chest.png");
  const QImage hair = load(folder / "walk-hair.png");
  const QImage ring = load(folder / "walk-ring.png");
  const QImage report = load(folder / "walk-report.png");
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

TEST(PagePictures, ReportsAFolderThatCannotBeMade) {
  const std::unique_ptr<MotionStore> store = loadMotion();
  const test::TempDir dir;
  const std::string blocked = dir.write("file", "not a folder");
  const SaveResult result = writePagePictures(blocked + "/inside", "walk", *store, true, 10);
  EXPECT_FALSE(result.ok());
  EXPECT_NE(result.target.find("inside"), std::string::npos) << result.target;
}

}  // namespace
}  // namespace zev

int main(int argc, char** argv) { return zev::test::runQtTests<QGuiApplication>(argc, argv); }
