#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class QMessageBox;

// Only one copy of Z.E.V runs at a time. The running copy holds a lock file named after the
// program's key; the lock is freed when that copy ends, and a lock left behind by a copy that
// crashed or was killed does not keep the next one from starting.

namespace zev {

enum class InstanceLock {
  Acquired,
  HeldByAnotherCopy,
  // The lock could not be made (no writable folder): the program runs without it.
  Unavailable,
};

// The user's runtime folder, or the temporary folder where there is none.
QString defaultLockFolder();

class SingleInstanceLock {
 public:
  explicit SingleInstanceLock(const QString& folder = defaultLockFolder());

  // Does not wait: a copy that is still running keeps the lock.
  InstanceLock acquire();

 private:
  QLockFile file_;
};

// The warning the second copy shows before it ends: text, caption, one OK button and no icon.
std::unique_ptr<QMessageBox> makeAlreadyRunningMessage();

}  // namespace zev
