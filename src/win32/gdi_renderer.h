#pragma once

#include <functional>

#include "pages/panel_ops.h"
#include "win32/windows_api.h"

// Plays the panel's drawing lists with GDI onto a drawing context of the panel's size: one-pixel
// solid pens, lines without their end point, "Arial" fonts given in tenths of a point at the
// screen's resolution, text on an opaque background with or without tab expansion, and pictures
// from the program's bitmap resources, copied unscaled.

namespace zev {

class GdiRenderer {
 public:
  // Called at every pause with its length; the renderer itself never waits.
  using PauseHandler = std::function<void(int milliseconds)>;

  // Draws into dc; pictures are the bitmaps of resources with the operations' picture ids.
  GdiRenderer(HDC dc, HINSTANCE resources);
  ~GdiRenderer();
  GdiRenderer(const GdiRenderer&) = delete;
  GdiRenderer& operator=(const GdiRenderer&) = delete;

  // Plays ops in order; pen, font and text colours carry over from one call to the next.
  void play(const PanelOps& ops, const PauseHandler& onPause);

 private:
  void selectPen(PanelColor color);
  void selectFont(int pointSize);
  void drawLine(const PanelOp& op) const;
  void drawText(const PanelOp& op) const;
  void copyPicture(const PanelOp& op) const;

  HDC dc_;
  HINSTANCE resources_;
  HPEN pen_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ originalPen_;
  HGDIOBJ originalFont_;
};

}  // namespace zev
