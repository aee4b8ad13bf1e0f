#include "pictures/pictures.h"

#include <QString>

namespace zev {

QImage aboutPicture() { return QImage(QStringLiteral(":/pictures/about.png")); }

QImage splashPicture() { return QImage(QStringLiteral(":/pictures/splash.png")); }

QIcon applicationIcon() { return QIcon(QStringLiteral(":/pictures/icon.png")); }

}  // namespace zev
