#include "pictures/page_pictures.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "pages/panel_ops.h"
#include "store/motion_store.h"
#include "support/qt_test_main.h"
#include "support/test_support.h"

namespace zev {
namespace {

// Set in the environment of the copy of this program that draws the pages of a real motion into
// the folder it names.
constexpr const char* DRAW_PAGES_VARIABLE = "ZEV_TEST_DRAW_PAGES_INTO";
constexpr const char* REAL_MOTION = "CMU_132_29_bouncy_walk";

QImage load(const std::filesystem::path& path) {
  return QImage(QString::fromStdString(path.string())).convertToFormat(QImage::Format_RGB32);
}

// The pages of a real motion after a movie-mode analysis with the default settings.
SaveResult drawRealMotionPages(const std::filesystem::path& dir) {
  const auto store = std::make_unique<MotionStore>();
  BvhReader reader;
  const BvhReadResult read =
      reader.readFile(test::dataPath(std::string(REAL_MOTION) + ".bvh"), store->motion);
  if (!read.ok()) return {std::make_error_code(std::errc::invalid_argument), REAL_MOTION};
  const EffectParameters movie{.stillMode = false};
  analyseMotion(movie, store->motion, store->signals);
  return writePagePictures(dir, REAL_MOTION, *store, movie.stillMode, movie.gCoefficient);
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

// The references were drawn before the font was built in, with Liberation Sans installed; the pages
// must keep those pixels, also on a machine whose font configuration offers no font at all.
TEST(PagePictures, SamePixelsWithOrWithoutTheSystemsFonts) {
  const test::TempDir dir;
  ASSERT_EQ(
      test::runAgainWithoutSystemFonts(dir, DRAW_PAGES_VARIABLE, (dir.path() / "bare").string()),
      "");

  const SaveResult drawn = drawRealMotionPages(dir.path() / "normal");
  ASSERT_TRUE(drawn.ok()) << drawn.target << ": " << drawn.reason();
  for (const char* page : {"-chest.png", "-hair.png", "-ring.png", "-report.png"}) {
    const std::string name = REAL_MOTION + std::string(page);
    SCOPED_TRACE(name);
    const QImage reference = load(test::dataPath("pages/" + name));
    ASSERT_FALSE(reference.isNull());
    EXPECT_EQ(load(dir.path() / "normal" / name), reference);
    EXPECT_EQ(load(dir.path() / "bare" / name), reference);
  }
}

}  // namespace
}  // namespace zev

int main(int argc, char** argv) {
  if (const char* dir = std::getenv(zev::DRAW_PAGES_VARIABLE)) {
    QGuiApplication application(argc, argv);
    return zev::drawRealMotionPages(dir).ok() ? 0 : 1;
  }
  return zev::test::runQtTests<QGuiApplication>(argc, argv);
}
