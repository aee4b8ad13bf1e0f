#pragma once

#include "win32/windows_api.h"

// Only one copy of Z.E.V runs at a time. The running copy owns a named mutex (SINGLE_INSTANCE_NAME)
// from the start until its dialog closes; the name is free again when that copy ends.

namespace zev {

class SingleInstanceLock {
 public:
  // Takes the lock, unless another copy holds it. A lock that cannot be made at all leaves the
  // program running without one.
  SingleInstanceLock();
  // Gives up the ownership; the handle closes when the process ends.
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  bool heldByAnotherCopy() const { return heldByAnotherCopy_; }

 private:
  HANDLE mutex_ = nullptr;
  bool heldByAnotherCopy_ = false;
};

// The warning a second copy shows, without an owner window, before it ends.
void warnAlreadyRunning();

}  // namespace zev
