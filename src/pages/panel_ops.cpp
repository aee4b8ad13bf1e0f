#include "pages/panel_ops.h"

#include <utility>

namespace zev {

namespace {

PanelOp opOfKind(PanelOpKind kind) {
  PanelOp op;
  op.kind = kind;
  return op;
}

}  // namespace

PanelOp fillBlackOp() { return opOfKind(PanelOpKind::FillBlack); }

PanelOp selectPenOp(PanelColor color) {
  PanelOp op = opOfKind(PanelOpKind::SelectPen);
  op.color = color;
  return op;
}

PanelOp drawLineOp(int x, int y, int x2, int y2) {
  PanelOp op = opOfKind(PanelOpKind::DrawLine);
  op.x = x;
  op.y = y;
  op.x2 = x2;
  op.y2 = y2;
  return op;
}

PanelOp selectFontOp(int pointSize) {
  PanelOp op = opOfKind(PanelOpKind::SelectFont);
  op.pointSize = pointSize;
  return op;
}

PanelOp setTextColorsOp(PanelColor text, PanelColor background) {
  PanelOp op = opOfKind(PanelOpKind::SetTextColors);
  op.color = text;
  op.background = background;
  return op;
}

PanelOp drawTextOp(int x, int y, std::string text, int tabStop) {
  PanelOp op = opOfKind(PanelOpKind::DrawText);
  op.x = x;
  op.y = y;
  op.tabStop = tabStop;
  op.text = std::move(text);
  return op;
}

PanelOp pauseOp(int milliseconds) {
  PanelOp op = opOfKind(PanelOpKind::Pause);
  op.milliseconds = milliseconds;
  return op;
}

PanelOp copyPictureOp(int pictureId, int x, int y) {
  PanelOp op = opOfKind(PanelOpKind::CopyPicture);
  op.x = x;
  op.y = y;
  op.pictureId = pictureId;
  return op;
}

}  // namespace zev
