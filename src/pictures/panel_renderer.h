#pragma once

#include <QImage>
#include <functional>

#include "pages/panel_ops.h"

class QPainter;

// Plays a list of panel operations onto a panel-sized QImage, the way the panel's pages are meant
// to look: one-unit solid pens, lines without their end point, "Arial" text (the built-in
// Liberation Sans where the system has no Arial) on an opaque black cell, tabs expanded from
// x = 1, pictures copied unscaled. Coordinates are the panel's units; an image with a device pixel
// ratio above 1 (a high-density screen) gets that many pixels per unit, with sharp lines and text.

namespace zev {

class PanelRenderer {
 public:
  // Called at every pause with its length; the renderer itself never waits.
  using PauseHandler = std::function<void(int milliseconds)>;

  PanelRenderer(QImage& target, int dotsPerInch);

  // Plays ops in order; pen, font and text colours carry over from one call to the next.
  void play(const PanelOps& ops, const PauseHandler& onPause = {});

 private:
  // The panel in its own units, whatever the image's pixel ratio.
  QRect panelRect() const;
  void drawLine(QPainter& painter, const PanelOp& op) const;
  void drawText(QPainter& painter, const PanelOp& op) const;

  QImage& target_;
  int dotsPerInch_;
  QColor pen_;
  QColor text_;
  QColor background_;
  int pointSize_;
};

}  // namespace zev
