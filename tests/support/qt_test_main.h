#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

// The main of a test that draws with Qt: Qt's offscreen platform unless another is chosen, one
// application object for the whole run, then every test. Application is QGuiApplication for the
// pictures, QApplication for the widgets.

namespace zev::test {

template <typename Application>
int runQtTests(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Application application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

}  // namespace zev::test
