#include "desktop/single_instance.h"

#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>

#include "dialog/start_up.h"

namespace zev {

namespace {

QString fromLatin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString defaultLockFolder() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

SingleInstanceLock::SingleInstanceLock(const QString& folder)
    : file_(QDir(folder).filePath(fromLatin1(SINGLE_INSTANCE_NAME) + QStringLiteral(".lock"))) {
  // Only a dead owner makes a lock stale, never its age: the dialog may stay open for hours.
  file_.setStaleLockTime(0);
}

InstanceLock SingleInstanceLock::acquire() {
  if (file_.tryLock(0)) return InstanceLock::Acquired;
  return file_.error() == QLockFile::LockFailedError ? InstanceLock::HeldByAnotherCopy
                                                     : InstanceLock::Unavailable;
}

std::unique_ptr<QMessageBox> makeAlreadyRunningMessage() {
  auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, fromLatin1(ALREADY_RUNNING_CAPTION),
                                           fromLatin1(ALREADY_RUNNING_TEXT), QMessageBox::Ok);
  return box;
}

}  // namespace zev
