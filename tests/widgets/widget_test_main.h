#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

// The main of a widget test: Qt's offscreen platform unless another is chosen, one application
// object for the whole run, then every test.

namespace zev::test {

inline int runWidgetTests(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

}  // namespace zev::test
