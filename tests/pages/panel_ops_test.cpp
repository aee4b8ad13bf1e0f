#include "pages/panel_ops.h"

#include <gtest/gtest.h>

namespace zev {
namespace {

TEST(PanelOps, FontSizesAtTheScreenResolution) {
  EXPECT_EQ(fontPixelSize(13, 96), 17);
  EXPECT_EQ(fontPixelSize(12, 96), 16);
  EXPECT_EQ(fontPixelSize(8, 96), 11);
  EXPECT_EQ(fontPixelSize(13, 120), 22);
}

}  // namespace
}  // namespace zev
