#include "win32/display_panel.h"

#include "win32/windows_api.h"

namespace zev {

DisplayPanel::Backing::Backing(HWND control) {
  const HDC screen = GetDC(control);
  dc = CreateCompatibleDC(screen);
  bitmap = CreateCompatibleBitmap(screen, PANEL_WIDTH, PANEL_HEIGHT);
  ReleaseDC(control, screen);
  original = SelectObject(dc, bitmap);
  const RECT panel{0, 0, PANEL_WIDTH, PANEL_HEIGHT};
  FillRect(dc, &panel, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

DisplayPanel::Backing::~Backing() {
  SelectObject(dc, original);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

DisplayPanel::DisplayPanel(HWND control, HINSTANCE resources)
    : control_(control), backing_(control), renderer_(backing_.dc, resources) {
  // The pages are drawn for a client area of PANEL_WIDTH x PANEL_HEIGHT pixels, the size the
  // panel's dialog units give with the dialog font's cell at 96 dots per inch. Where the system
  // measures its font otherwise, the panel keeps the pages' size, so that they always show whole;
  // its edge lies around that area.
  RECT window{};
  RECT client{};
  GetWindowRect(control_, &window);
  GetClientRect(control_, &client);
  SetWindowPos(control_, nullptr, 0, 0, window.right - window.left - client.right + PANEL_WIDTH,
               window.bottom - window.top - client.bottom + PANEL_HEIGHT,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowSubclass(control_, paint, 0, reinterpret_cast<DWORD_PTR>(this));
}

DisplayPanel::~DisplayPanel() { RemoveWindowSubclass(control_, paint, 0); }

void DisplayPanel::play(const PanelOps& ops) {
  renderer_.play(ops, [this](int milliseconds) {
    show();
    Sleep(static_cast<DWORD>(milliseconds));
  });
  show();
}

void DisplayPanel::show() const {
  const HDC screen = GetDC(control_);
  BitBlt(screen, 0, 0, PANEL_WIDTH, PANEL_HEIGHT, backing_.dc, 0, 0, SRCCOPY);
  ReleaseDC(control_, screen);
  GdiFlush();
}

LRESULT CALLBACK DisplayPanel::paint(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR self) {
  switch (message) {
    case WM_ERASEBKGND:
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      const HDC screen = BeginPaint(control, &paint);
      BitBlt(screen, 0, 0, PANEL_WIDTH, PANEL_HEIGHT,
             reinterpret_cast<const DisplayPanel*>(self)->backing_.dc, 0, 0, SRCCOPY);
      EndPaint(control, &paint);
      return 0;
    }
    default:
      return DefSubclassProc(control, message, wParam, lParam);
  }
}

}  // namespace zev
