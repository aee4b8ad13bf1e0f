#include "pictures/page_pictures.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "pages/panel_ops.h"
#include "store/motion_store.h"
#include "support/qt_test_main.h"
#include "support/test_support.h"

namespace zev {
namespace {

QImage decode(const std::string& png) {
  return QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()),
                          "PNG");
}

// Set in the environment of the copy of this program that draws the pages of a real motion into
// the folder it names.
constexpr const char* DRAW_PAGES_VARIABLE = "ZEV_TEST_DRAW_PAGES_INTO";
constexpr const char* REAL_MOTION = "CMU_132_29_bouncy_walk";

QImage load(const std::filesystem::path& path) {
  return QImage(QString::fromStdString(path.string())).convertToFormat(QImage::Format_RGB32);
}

// The pages of a real motion after a movie-mode analysis with the default settings, written into
// dir as TITLE-PAGE.png. False when the motion cannot be read or a page not written.
bool drawRealMotionPages(const std::filesystem::path& dir) {
  const auto store = std::make_unique<MotionStore>();
  BvhReader reader;
  if (!reader.readFile(test::dataPath(std::string(REAL_MOTION) + ".bvh"), store->motion).ok()) {
    return false;
  }
  const EffectParameters movie{.stillMode = false};
  analyseMotion(movie, store->motion, store->signals);
  const PagePictures pictures = drawPagePictures({.store = *store,
                                                  .title = REAL_MOTION,
                                                  .stillMode = movie.stillMode,
                                                  .gCoefficient = movie.gCoefficient});
  std::filesystem::create_directories(dir);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const auto name = std::string(REAL_MOTION) + "-" + std::string(PAGE_PICTURE_NAMES[i]) + ".png";
    test::writeWholeFile(dir / name, pictures[i]);
  }
  return true;
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
  const PagePictures pictures =
      drawPagePictures({.store = *store, .title = "walk", .stillMode = false, .gCoefficient = 10});
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

// The references were drawn before the font was built in, with Liberation Sans installed; the
// pages must keep those pixels, also on a machine whose font configuration offers no font at all.
TEST(PagePictures, SamePixelsWithOrWithoutTheSystemsFonts) {
  const test::TempDir dir;
  ASSERT_EQ(
      test::runAgainWithoutSystemFonts(dir, DRAW_PAGES_VARIABLE, (dir.path() / "bare").string()),
      "");

  ASSERT_TRUE(drawRealMotionPages(dir.path() / "normal"));
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
    return zev::drawRealMotionPages(dir) ? 0 : 1;
  }
  return zev::test::runQtTests<QGuiApplication>(argc, argv);
}
