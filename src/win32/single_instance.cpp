#include "win32/single_instance.h"

#include <string>

#include "dialog/start_up.h"
#include "win32/utf16.h"

namespace zev {

SingleInstanceLock::SingleInstanceLock() {
  const std::string name(SINGLE_INSTANCE_NAME);
  if (const HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str())) {
    CloseHandle(existing);
    heldByAnotherCopy_ = true;
    return;
  }
  mutex_ = CreateMutexA(nullptr, TRUE, name.c_str());
  // Two copies started at the same moment both find no lock; the one that did not make it, whose
  // handle then names the other's mutex, is the second copy.
  if (mutex_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
    heldByAnotherCopy_ = true;
  }
}

SingleInstanceLock::~SingleInstanceLock() {
  if (mutex_ != nullptr) ReleaseMutex(mutex_);
}

void warnAlreadyRunning() {
  MessageBoxW(nullptr, toUtf16(ALREADY_RUNNING_TEXT).c_str(),
              toUtf16(ALREADY_RUNNING_CAPTION).c_str(), MB_OK);
}

}  // namespace zev
