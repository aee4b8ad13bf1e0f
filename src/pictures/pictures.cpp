#include "pictures/pictures.h"

#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>
#include <cstdio>

#include "pages/panel_ops.h"

namespace zev {

QImage aboutPicture() { return QImage(QStringLiteral(":/pictures/about.png")); }

QImage splashPicture() { return QImage(QStringLiteral(":/pictures/splash.png")); }

QIcon applicationIcon() { return QIcon(QStringLiteral(":/pictures/icon.png")); }

bool useBuiltInFont() {
  static const bool registered = [] {
    const int id =
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSans-Regular.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
      // Text still shows, in whatever the system offers for "Arial", but the pixels are no
      // longer those of every other machine: said once, where a user or a test run sees it.
      std::fputs("zev: the built-in font could not be registered; text takes the system's fonts\n",
                 stderr);
      return false;
    }
    // A substitute is only asked for when the system has no family of that name.
    QFont::insertSubstitution(
        QString::fromLatin1(PANEL_FONT_FACE.data(), static_cast<qsizetype>(PANEL_FONT_FACE.size())),
        families.constFirst());
    return true;
  }();
  return registered;
}

}  // namespace zev
