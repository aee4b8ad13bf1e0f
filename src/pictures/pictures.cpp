#include "pictures/pictures.h"

#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>

namespace zev {

QImage aboutPicture() { return QImage(QStringLiteral(":/pictures/about.png")); }

QImage splashPicture() { return QImage(QStringLiteral(":/pictures/splash.png")); }

QIcon applicationIcon() { return QIcon(QStringLiteral(":/pictures/icon.png")); }

void useBuiltInFont() {
  static const bool registered = [] {
    const int id =
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSans-Regular.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) return false;
    // A substitute is only asked for when the system has no family of that name.
    QFont::insertSubstitution(QStringLiteral("Arial"), families.constFirst());
    return true;
  }();
  static_cast<void>(registered);
}

}  // namespace zev
