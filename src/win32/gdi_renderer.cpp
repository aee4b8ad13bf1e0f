#include "win32/gdi_renderer.h"

#include <algorithm>
#include <string>

#include "win32/resource_ids.h"
#include "win32/utf16.h"

namespace zev {

// The pages name their pictures by the numbers of the program's bitmap resources.
static_assert(ABOUT_PICTURE == ZEV_ABOUT_PICTURE);

namespace {

COLORREF colorOf(PanelColor color) { return RGB(color.red, color.green, color.blue); }

}  // namespace

GdiRenderer::GdiRenderer(HDC dc, HINSTANCE resources)
    : dc_(dc),
      resources_(resources),
      originalPen_(GetCurrentObject(dc, OBJ_PEN)),
      originalFont_(GetCurrentObject(dc, OBJ_FONT)) {
  SetBkMode(dc_, OPAQUE);
}

GdiRenderer::~GdiRenderer() {
  SelectObject(dc_, originalPen_);
  SelectObject(dc_, originalFont_);
  if (pen_ != nullptr) DeleteObject(pen_);
  if (font_ != nullptr) DeleteObject(font_);
}

void GdiRenderer::play(const PanelOps& ops, const PauseHandler& onPause) {
  for (const PanelOp& op : ops) {
    switch (op.kind) {
      case PanelOpKind::FillBlack: {
        const RECT panel{0, 0, PANEL_WIDTH, PANEL_HEIGHT};
        FillRect(dc_, &panel, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        break;
      }
      case PanelOpKind::SelectPen:
        selectPen(op.color);
        break;
      case PanelOpKind::DrawLine:
        drawLine(op);
        break;
      case PanelOpKind::SelectFont:
        selectFont(op.pointSize);
        break;
      case PanelOpKind::SetTextColors:
        SetTextColor(dc_, colorOf(op.color));
        SetBkColor(dc_, colorOf(op.background));
        break;
      case PanelOpKind::DrawText:
        drawText(op);
        break;
      case PanelOpKind::Pause:
        if (onPause) onPause(op.milliseconds);
        break;
      case PanelOpKind::CopyPicture:
        copyPicture(op);
        break;
    }
  }
}

void GdiRenderer::selectPen(PanelColor color) {
  const HPEN pen = CreatePen(PS_SOLID, 1, colorOf(color));
  SelectObject(dc_, pen);
  if (pen_ != nullptr) DeleteObject(pen_);
  pen_ = pen;
}

void GdiRenderer::selectFont(int pointSize) {
  LOGFONTW font{};
  // A point-size font: tenths of a point to a character height in pixels at the screen's vertical
  // resolution (80 tenths give 11 pixels at 96 dots per inch). Whole pixels in the page's
  // colours, as the desktop draws the pages.
  font.lfHeight = -MulDiv(pointSize * 10, GetDeviceCaps(dc_, LOGPIXELSY), 720);
  font.lfCharSet = ANSI_CHARSET;
  font.lfQuality = NONANTIALIASED_QUALITY;
  lstrcpyW(font.lfFaceName, toUtf16(PANEL_FONT_FACE).c_str());
  const HFONT created = CreateFontIndirectW(&font);
  SelectObject(dc_, created);
  if (font_ != nullptr) DeleteObject(font_);
  font_ = created;
}

void GdiRenderer::drawLine(const PanelOp& op) const {
  // A bar of a wild signal can run far beyond the panel, where GDI's coordinates end. The pages'
  // lines are upright or level, so such a line is cut one pixel outside the panel, where nothing
  // of it shows anyway.
  POINT from{op.x, op.y};
  POINT to{op.x2, op.y2};
  if (op.x == op.x2 || op.y == op.y2) {
    for (POINT* end : {&from, &to}) {
      end->x = std::clamp<LONG>(end->x, -1, PANEL_WIDTH);
      end->y = std::clamp<LONG>(end->y, -1, PANEL_HEIGHT);
    }
  }
  MoveToEx(dc_, from.x, from.y, nullptr);
  LineTo(dc_, to.x, to.y);
}

void GdiRenderer::drawText(const PanelOp& op) const {
  const std::wstring text = toUtf16(op.text);
  const int length = static_cast<int>(text.size());
  if (op.tabStop > 0) {
    INT tabStop = op.tabStop;
    TabbedTextOutW(dc_, op.x, op.y, text.c_str(), length, 1, &tabStop, TAB_ORIGIN_X);
  } else {
    TextOutW(dc_, op.x, op.y, text.c_str(), length);
  }
}

void GdiRenderer::copyPicture(const PanelOp& op) const {
  const auto picture = static_cast<HBITMAP>(
      LoadImageW(resources_, MAKEINTRESOURCEW(op.pictureId), IMAGE_BITMAP, 0, 0, 0));
  if (picture == nullptr) {
    // The page shows without it. A picture that a page names and the program lacks is a fault of
    // the build, which the UI test sees on the about page; a debugger sees it here.
#ifndef NDEBUG
    OutputDebugStringW((L"zev: no bitmap resource " + std::to_wstring(op.pictureId) + L": " +
                        std::to_wstring(GetLastError()) + L"\n")
                           .c_str());
#endif
    return;
  }
  BITMAP size{};
  GetObjectW(picture, sizeof size, &size);
  const HDC source = CreateCompatibleDC(dc_);
  const HGDIOBJ original = SelectObject(source, picture);
  BitBlt(dc_, op.x, op.y, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, original);
  DeleteDC(source);
  DeleteObject(picture);
}

}  // namespace zev
