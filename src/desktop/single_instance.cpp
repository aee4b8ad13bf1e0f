#include "desktop/single_instance.h"

#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>

namespace zev {

QString defaultLockFolder() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

SingleInstanceLock::SingleInstanceLock(const QString& folder)
    : file_(QDir(folder).filePath(QString::fromLatin1(SINGLE_INSTANCE_KEY) +
                                  QStringLiteral(".lock"))) {
  // Only a dead owner makes a lock stale, never its age: the dialog may stay open for hours.
  file_.setStaleLockTime(0);
}

InstanceLock SingleInstanceLock::acquire() {
  if (file_.tryLock(0)) return InstanceLock::Acquired;
  return file_.error() == QLockFile::LockFailedError ? InstanceLock::HeldByAnotherCopy
                                                     : InstanceLock::Unavailable;
}

std::unique_ptr<QMessageBox> makeAlreadyRunningMessage() {
  auto box =
      std::make_unique<QMessageBox>(QMessageBox::NoIcon, QStringLiteral("WARNING"),
                                    QStringLiteral("Z.E.V ALREADY EXISTS."), QMessageBox::Ok);
  return box;
}

}  // namespace zev
