#include "pictures/panel_renderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cstdlib>

#include "pictures/pictures.h"

namespace zev {

namespace {

QColor toQColor(PanelColor color) { return QColor(color.red, color.green, color.blue); }

QImage pictureById(int id) { return id == ABOUT_PICTURE ? aboutPicture() : QImage(); }

int sign(int value) { return (value > 0) - (value < 0); }

QFont arialFont(int pointSize, int dotsPerInch) {
  QFont font(
      QString::fromLatin1(PANEL_FONT_FACE.data(), static_cast<qsizetype>(PANEL_FONT_FACE.size())));
  font.setPixelSize(fontPixelSize(pointSize, dotsPerInch));
  font.setWeight(QFont::Normal);
  font.setStyle(QFont::StyleNormal);
  // Whole pixels in the exact page colours, as the panel's pages were made to look.
  font.setStyleStrategy(QFont::NoAntialias);
  // The hinting that Debian's font configuration gives, named here so that another configuration
  // (or none at all) changes no pixel of a page.
  font.setHintingPreference(QFont::PreferVerticalHinting);
  return font;
}

}  // namespace

PanelRenderer::PanelRenderer(QImage& target, int dotsPerInch)
    : target_(target),
      dotsPerInch_(dotsPerInch),
      pen_(Qt::black),
      text_(Qt::black),
      background_(Qt::black),
      pointSize_(8) {
  useBuiltInFont();
}

void PanelRenderer::play(const PanelOps& ops, const PauseHandler& onPause) {
  QPainter painter(&target_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const PanelOp& op : ops) {
    switch (op.kind) {
      case PanelOpKind::FillBlack:
        painter.fillRect(panelRect(), Qt::black);
        break;
      case PanelOpKind::SelectPen:
        pen_ = toQColor(op.color);
        break;
      case PanelOpKind::DrawLine:
        drawLine(painter, op);
        break;
      case PanelOpKind::SelectFont:
        pointSize_ = op.pointSize;
        break;
      case PanelOpKind::SetTextColors:
        text_ = toQColor(op.color);
        background_ = toQColor(op.background);
        break;
      case PanelOpKind::DrawText:
        drawText(painter, op);
        break;
      case PanelOpKind::Pause:
        if (onPause) {
          // The step drawn so far must be in the image before anyone looks at it.
          painter.end();
          onPause(op.milliseconds);
          painter.begin(&target_);
        }
        break;
      case PanelOpKind::CopyPicture:
        painter.drawImage(op.x, op.y, pictureById(op.pictureId));
        break;
    }
  }
}

QRect PanelRenderer::panelRect() const {
  return QRectF(QPointF(0, 0), target_.deviceIndependentSize()).toAlignedRect();
}

void PanelRenderer::drawLine(QPainter& painter, const PanelOp& op) const {
  // A bar of a wild signal can run far beyond the panel. The pages' lines are upright or level,
  // so such a line is cut one unit outside the panel, where nothing of it shows anyway, and the
  // painter never sees coordinates near the ends of its range.
  const QRect panel = panelRect();
  int x = op.x;
  int y = op.y;
  int x2 = op.x2;
  int y2 = op.y2;
  if (x == x2 && y == y2) return;
  // Each unit of a line is a filled square, so that it covers whole device pixels at any pixel
  // ratio: one pixel at 1, two by two at 2.
  if (x == x2 || y == y2) {
    x = std::clamp(x, -1, panel.width());
    x2 = std::clamp(x2, -1, panel.width());
    y = std::clamp(y, -1, panel.height());
    y2 = std::clamp(y2, -1, panel.height());
    // The end point itself is left out, so that lines joined end to start cover each unit once.
    const QPoint last(x2 - sign(x2 - x), y2 - sign(y2 - y));
    painter.fillRect(QRect(QPoint(std::min(x, last.x()), std::min(y, last.y())),
                           QPoint(std::max(x, last.x()), std::max(y, last.y()))),
                     pen_);
    return;
  }
  const int dx = std::abs(x2 - x);
  const int dy = -std::abs(y2 - y);
  const int stepX = x < x2 ? 1 : -1;
  const int stepY = y < y2 ? 1 : -1;
  int error = dx + dy;
  while (x != x2 || y != y2) {
    painter.fillRect(x, y, 1, 1, pen_);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += stepX;
    }
    if (twice <= dx) {
      error += dx;
      y += stepY;
    }
  }
}

void PanelRenderer::drawText(QPainter& painter, const PanelOp& op) const {
  const QFont font = arialFont(pointSize_, dotsPerInch_);
  const QFontMetrics metrics(font);
  painter.setFont(font);
  painter.setPen(text_);
  const QStringList pieces = QString::fromUtf8(op.text).split(QLatin1Char('\t'));
  QList<int> starts;
  int x = op.x;
  for (qsizetype i = 0; i < pieces.size(); ++i) {
    // A tab moves to the next tab position after x; without tab expansion it takes no room.
    if (i > 0 && op.tabStop > 0) {
      x = TAB_ORIGIN_X + ((x - TAB_ORIGIN_X) / op.tabStop + 1) * op.tabStop;
    }
    starts << x;
    x += metrics.horizontalAdvance(pieces[i]);
  }
  // The opaque background: the whole cell, tab gaps included, covers whatever lay under it, so a
  // line drawn again one pixel further leaves no trail.
  painter.fillRect(op.x, op.y, x - op.x, metrics.height(), background_);
  for (qsizetype i = 0; i < pieces.size(); ++i) {
    painter.drawText(starts[i], op.y + metrics.ascent(), pieces[i]);
  }
}

}  // namespace zev
