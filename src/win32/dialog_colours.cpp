#include "win32/dialog_colours.h"

#include "dialog/start_up.h"

namespace zev {

namespace {

COLORREF colorOf(DialogColor color) { return RGB(color.red, color.green, color.blue); }

}  // namespace

DialogColours::DialogColours() : background_(CreateSolidBrush(colorOf(DIALOG_BACKGROUND))) {}

DialogColours::~DialogColours() { DeleteObject(background_); }

INT_PTR DialogColours::answer(UINT message, WPARAM dc) const {
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetTextColor(reinterpret_cast<HDC>(dc), colorOf(DIALOG_TEXT));
      SetBkColor(reinterpret_cast<HDC>(dc), colorOf(DIALOG_BACKGROUND));
      [[fallthrough]];
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(background_);
    default:
      return 0;
  }
}

}  // namespace zev
