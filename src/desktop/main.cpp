// Z.E.V, the dialog program: one copy at a time, the splash, then the main dialog until the user
// closes it. It takes no arguments and keeps no settings.

#include <QApplication>
#include <QMessageBox>
#include <QPalette>

#include "desktop/file_dialogs.h"
#include "desktop/main_dialog.h"
#include "desktop/single_instance.h"
#include "desktop/splash_dialog.h"
#include "pictures/pictures.h"

namespace {

// Light grey dialogs with dark blue text: the dialogs' background and the text and background of
// labels, check boxes, radio buttons, group frames and read-only fields. Push buttons and the
// fields the user types into keep the desktop's look.
void applyDialogColours(QApplication& application) {
  const QColor background(192, 192, 192);
  const QColor text(0, 0, 80);
  QPalette palette = application.palette();
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::Active, QPalette::WindowText, text);
  palette.setColor(QPalette::Inactive, QPalette::WindowText, text);
  // Disabled controls keep grey text (and arrows) that still reads on the grey background.
  palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
  application.setPalette(palette);
  application.setStyleSheet(
      QStringLiteral("QLineEdit[readOnly=\"true\"] { background-color: rgb(192, 192, 192); color: "
                     "rgb(0, 0, 80); }"));
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

}  // namespace

int main(int argc, char* argv[]) {
  preferDesktopPortal();
  QApplication application(argc, argv);
  application.setWindowIcon(zev::applicationIcon());

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
  dialog.exec();
  return 0;
}
