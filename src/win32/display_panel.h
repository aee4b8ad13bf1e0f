#pragma once

#include "pages/panel_ops.h"
#include "win32/gdi_renderer.h"
#include "win32/windows_api.h"

// The black display panel of the main dialog: a static control whose client area this draws. The
// pages are played into a backing bitmap of the panel's size, which the control shows whenever it
// is painted, so that a repaint (another window passing over it) shows the last page again
// instead of a black rectangle. At each pause of a page's animation the step drawn so far is put
// on the screen before the user-interface thread waits.

namespace zev {

class DisplayPanel {
 public:
  // Takes over the painting of control, which is given a client area of the panel's size.
  DisplayPanel(HWND control, HINSTANCE resources);
  ~DisplayPanel();
  DisplayPanel(const DisplayPanel&) = delete;
  DisplayPanel& operator=(const DisplayPanel&) = delete;

  // Draws ops onto the panel; their pauses block the caller.
  void play(const PanelOps& ops);

 private:
  static LRESULT CALLBACK paint(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR id, DWORD_PTR self);
  // Copies the backing bitmap onto the control now.
  void show() const;

  // The backing bitmap, selected into a memory drawing context for as long as the panel lives.
  struct Backing {
    explicit Backing(HWND control);
    ~Backing();
    Backing(const Backing&) = delete;
    Backing& operator=(const Backing&) = delete;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ original;
  };

  HWND control_;
  Backing backing_;
  GdiRenderer renderer_;
};

}  // namespace zev
