// Z.E.V for Windows, the dialog program: one copy at a time, the splash, then the main dialog until
// the user closes it. It takes one BVH file to open, as Explorer passes it, and keeps no settings.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialog/dialog_state.h"
#include "dialog/dialog_template.h"
#include "win32/dialog_colours.h"
#include "win32/file_dialogs.h"
#include "win32/main_dialog.h"
#include "win32/single_instance.h"
#include "win32/splash_dialog.h"
#include "win32/utf16.h"
#include "win32/windows_api.h"

namespace {

// The files the program was started with, as full paths: a file named relative to the folder the
// program started in stays that file when a later Analyze reads it again.
std::vector<std::string> startFiles() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> files;
  for (int i = 1; i < count; ++i) {
    std::wstring full(GetFullPathNameW(arguments[i], 0, nullptr, nullptr), L'\0');
    const DWORD length =
        GetFullPathNameW(arguments[i], static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(length > 0 && length < full.size() ? length : 0);
    files.push_back(zev::toUtf8(full.empty() ? std::wstring(arguments[i]) : full));
  }
  LocalFree(arguments);
  return files;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const std::vector<std::string> files = startFiles();
  if (const std::optional<std::string> refusal = zev::refuseStartFiles(files.size())) {
    MessageBoxW(nullptr, zev::toUtf16(*refusal).c_str(),
                zev::toUtf16(zev::MAIN_DIALOG_CAPTION).c_str(), MB_OK | MB_ICONERROR);
    return 2;
  }

  // A second copy only warns, also when it was given a file.
  const zev::SingleInstanceLock lock;
  if (lock.heldByAnotherCopy()) {
    zev::warnAlreadyRunning();
    return 0;
  }

  const INITCOMMONCONTROLSEX controls{sizeof controls,
                                      ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  const zev::DialogColours colours;
  zev::showSplash(instance, colours);

  zev::FileDialogs fileDialogs;
  std::optional<std::string> startFile;
  if (!files.empty()) startFile = files.front();
  // The dialog's state holds a whole motion and its signals: not for the stack.
  auto dialog = std::make_unique<zev::MainDialog>(instance, colours, fileDialogs, startFile);
  dialog->run();
  return 0;
}
