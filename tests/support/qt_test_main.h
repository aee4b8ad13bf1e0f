#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "pictures/pictures.h"
#include "support/test_support.h"

// The main of a test that draws with Qt: Qt's offscreen platform unless another is chosen, one
// application object for the whole run, then every test. Application is QGuiApplication for the
// pictures, QApplication for the widgets.

namespace zev::test {

// Every test that draws relies on the built-in font's pixels: without it, each of them fails.
class BuiltInFontEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(useBuiltInFont()) << "the built-in font is not in use"; }
};

template <typename Application>
int runQtTests(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Application application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new BuiltInFontEnvironment);
  return RUN_ALL_TESTS();
}

// Runs this test program once more, with variable set to value and a font configuration that
// lists no font folder, so that the program's built-in font is the only one it finds. Empty when
// that run ended well, else what it reported.
inline std::string runAgainWithoutSystemFonts(const TempDir& scratch, const char* variable,
                                              const std::string& value) {
  const std::string noFonts =
      scratch.write("fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" +
                                      scratch.path().string() + "/cache</cachedir></fontconfig>\n");
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("FONTCONFIG_FILE"), QString::fromStdString(noFonts));
  environment.insert(QString::fromLatin1(variable), QString::fromStdString(value));
  QProcess run;
  run.setProcessEnvironment(environment);
  run.start(QCoreApplication::applicationFilePath(), {});
  if (!run.waitForFinished(30000)) return "did not end within 30 s";
  if (run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0) return "";
  return "ended with " + std::to_string(run.exitCode()) + ": " +
         run.readAllStandardError().toStdString();
}

}  // namespace zev::test
