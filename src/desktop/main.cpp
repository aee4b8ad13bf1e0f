// Z.E.V, the dialog program: one copy at a time, the splash, then the main dialog until the user
// closes it. It takes one BVH file to open, as a file manager passes it, and keeps no settings.

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QMessageBox>
#include <QPalette>
#include <cstdio>
#include <optional>
#include <string>

#include "common/version.h"
#include "desktop/file_dialogs.h"
#include "desktop/main_dialog.h"
#include "desktop/single_instance.h"
#include "desktop/splash_dialog.h"
#include "dialog/start_up.h"
#include "pictures/pictures.h"

namespace {

// Light grey dialogs with dark blue text: the dialogs' background and the text and background of
// labels, check boxes, radio buttons, group frames and read-only fields. Push buttons and the
// fields the user types into keep the desktop's look.
void applyDialogColours(QApplication& application) {
  const auto toQColor = [](zev::DialogColor color) {
    return QColor(color.red, color.green, color.blue);
  };
  const QColor background = toQColor(zev::DIALOG_BACKGROUND);
  const QColor text = toQColor(zev::DIALOG_TEXT);
  const QColor disabledText = toQColor(zev::DIALOG_DISABLED_TEXT);
  QPalette palette = application.palette();
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::Active, QPalette::WindowText, text);
  palette.setColor(QPalette::Inactive, QPalette::WindowText, text);
  // Disabled controls keep grey text (and arrows) that still reads on the grey background.
  palette.setColor(QPalette::Disabled, QPalette::WindowText, disabledText);
  application.setPalette(palette);
  application.setStyleSheet(
      QStringLiteral("QLineEdit[readOnly=\"true\"] { background-color: %1; color: %2; }")
          .arg(background.name(), text.name()));
}

// On a Linux desktop the file dialogs come through the desktop's portal, which shows the desktop's
// own; everything else keeps the desktop's look, and where no portal answers, Qt's dialog shows.
// A platform theme the user chose stays.
void preferDesktopPortal() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORMTHEME") &&
      !qEnvironmentVariableIsEmpty("XDG_CURRENT_DESKTOP")) {
    qputenv("QT_QPA_PLATFORMTHEME", "xdgdesktopportal");
  }
}

// What the command line asks to open: the motion file (`zev FILE.bvh`), if any, or why the
// program refuses what it was given. --help and --version answer and end the program, as does an
// option it does not know.
struct StartArguments {
  std::optional<std::string> motionFile;
  std::optional<std::string> refusal;
};

StartArguments startArguments(const QApplication& application) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Adds secondary motion to a Poser BVH animation and saves it as a PZ2 pose."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("FILE.bvh"),
                               QStringLiteral("A BVH motion to open once the dialog is up."),
                               QStringLiteral("[FILE.bvh]"));
  parser.process(application);
  const QStringList files = parser.positionalArguments();
  StartArguments arguments;
  arguments.refusal = zev::refuseStartFiles(static_cast<std::size_t>(files.size()));
  if (!arguments.refusal && !files.isEmpty()) {
    arguments.motionFile = QFile::encodeName(files.constFirst()).toStdString();
  }
  return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
  preferDesktopPortal();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("zev"));
  QApplication::setApplicationVersion(QString::fromLatin1(
      zev::ZEV_VERSION.data(), static_cast<qsizetype>(zev::ZEV_VERSION.size())));
  // The desktop entry that windows of this program belong to, for the desktop's icon and name.
  QGuiApplication::setDesktopFileName(QStringLiteral("zev"));
  application.setWindowIcon(zev::applicationIcon());
  const StartArguments arguments = startArguments(application);
  if (arguments.refusal) {
    std::fprintf(stderr, "zev: %s\n", arguments.refusal->c_str());
    return 2;
  }

  // A second copy only warns, also when it was given a file.
  zev::SingleInstanceLock lock;
  if (lock.acquire() == zev::InstanceLock::HeldByAnotherCopy) {
    zev::makeAlreadyRunningMessage()->exec();
    return 0;
  }

  applyDialogColours(application);

  zev::SplashDialog splash;
  splash.exec();

  zev::QtFileDialogs fileDialogs;
  zev::MainDialog dialog(fileDialogs);
  if (arguments.motionFile) dialog.openWhenShown(*arguments.motionFile);
  dialog.exec();
  return 0;
}
