#pragma once

#include "win32/windows_api.h"

// The colours every dialog of the program shares (DIALOG_BACKGROUND, DIALOG_TEXT): for the
// dialog's own background and for the text and background of its labels, check boxes, radio
// buttons, group frames and read-only fields.

namespace zev {

class DialogColours {
 public:
  DialogColours();
  ~DialogColours();
  DialogColours(const DialogColours&) = delete;
  DialogColours& operator=(const DialogColours&) = delete;

  // A dialog procedure's answer to a WM_CTLCOLOR... message: the brush, with the colours set on
  // the drawing context dc; 0 for any other message.
  INT_PTR answer(UINT message, WPARAM dc) const;

 private:
  HBRUSH background_;
};

}  // namespace zev
