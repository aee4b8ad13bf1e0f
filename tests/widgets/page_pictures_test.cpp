#include "ui/page_pictures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <filesystem>

#include "store/motion_store.h"
#include "support/test_support.h"
#include "ui/graph_view.h"
#include "ui/report_pages.h"

namespace zev {
namespace {

QImage load(const std::filesystem::path& path) {
  return QImage(QString::fromStdString(path.string()));
}

void loadMotion() {
  test::resetMotionStore();
  MotionStore& store = motionStore();
  store.frameCount = 30;
  store.frameTime = 1.0 / 30;
  store.frameRate = 30;
  for (int i = 0; i < 30; ++i) {
    store.slots[chestUp][i] = 0.5;
    store.slots[headSide][i] = -0.5;
    store.slots[earringZrot][i] = 45.0;
    store.hipYPos[i] = i % 4;
  }
}

TEST(PagePictures, WritesThreeGraphPagesAndTheReport) {
  loadMotion();
  MotionStore& store = motionStore();
  store.panelMode = 1;
  store.graphPage = 2;
  const test::TempDir dir;
  const std::filesystem::path folder = dir.path() / "pictures";
  std::string error;
  ASSERT_TRUE(writePagePictures(folder.string(), "walk", false, 10, &error)) << error;

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

  // The dialog's panel state is untouched.
  EXPECT_EQ(store.panelMode, 1);
  EXPECT_EQ(store.graphPage, 2);
}

TEST(PagePictures, ReportsAFolderThatCannotBeMade) {
  loadMotion();
  const test::TempDir dir;
  const std::string blocked = dir.write("file", "not a folder");
  std::string error;
  EXPECT_FALSE(writePagePictures(blocked + "/inside", "walk", true, 10, &error));
  EXPECT_NE(error.find("inside"), std::string::npos) << error;
}

}  // namespace
}  // namespace zev

// As in a tool without a window: the session provides the application object.
int main(int argc, char** argv) {
  const zev::PictureSession session;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
