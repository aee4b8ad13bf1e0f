#include "win32/splash_dialog.h"

#include "dialog/start_up.h"
#include "win32/resource_ids.h"

namespace zev {

namespace {

constexpr UINT_PTR CLOSE_TIMER = 1;

void closeSplash(HWND splash) {
  KillTimer(splash, CLOSE_TIMER);
  EndDialog(splash, IDOK);
}

// The picture shows whole, as on the desktop, whatever size the template's units give with the
// system's font: the splash takes the picture's size and stays centred on the screen.
void fitToPicture(HWND splash) {
  const HWND picture = GetWindow(splash, GW_CHILD);
  const auto bitmap =
      reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
  BITMAP size{};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof size, &size) == 0) return;
  SetWindowPos(picture, nullptr, 0, 0, size.bmWidth, size.bmHeight, SWP_NOZORDER);
  RECT frame{0, 0, size.bmWidth, size.bmHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(splash, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(splash, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(splash, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);
}

INT_PTR CALLBACK splashProcedure(HWND splash, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(splash, DWLP_USER, lParam);
      fitToPicture(splash);
      SetTimer(splash, CLOSE_TIMER, SPLASH_MILLISECONDS, nullptr);
      return TRUE;
    case WM_TIMER:
    case WM_LBUTTONDBLCLK:
      closeSplash(splash);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) closeSplash(splash);
      return TRUE;
    default: {
      const auto* colours =
          reinterpret_cast<const DialogColours*>(GetWindowLongPtrW(splash, DWLP_USER));
      return colours != nullptr ? colours->answer(message, wParam) : FALSE;
    }
  }
}

}  // namespace

void showSplash(HINSTANCE instance, const DialogColours& colours) {
  DialogBoxParamW(instance, MAKEINTRESOURCEW(ZEV_SPLASH_DIALOG), nullptr, splashProcedure,
                  reinterpret_cast<LPARAM>(&colours));
}

}  // namespace zev
