#pragma once

#include <QImage>
#include <QWidget>

#include "pages/panel_ops.h"

// The black display panel of the main dialog. It keeps what was last drawn on it in a backing
// image, so that a repaint (another window passing over it) shows the last page again instead of
// a black rectangle. Pages are played with their pauses visible: the title slides down and the
// lines slide right while the user interface waits, as the pages are meant to be seen.
//
// The panel measures PANEL_WIDTH x PANEL_HEIGHT units. Its image has as many pixels per unit as
// the screen it is on (two on a screen at 200 %), so that lines and text stay sharp; moved to a
// screen of another ratio, it draws the page shown again at that ratio.

namespace zev {

class PanelWidget : public QWidget {
  Q_OBJECT

 public:
  explicit PanelWidget(QWidget* parent = nullptr);

  // Draws ops onto the panel. Pauses block the caller; a hidden panel skips them.
  void play(const PanelOps& ops);
  // What the panel shows now, at the screen's pixel ratio.
  QImage image() const;

 Q_SIGNALS:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // Draws the shown page anew when the screen's pixel ratio is no longer the image's.
  void matchScreen();

  QImage image_;
  // What was drawn since the panel was last filled black: enough to draw the page again.
  PanelOps shown_;
};

}  // namespace zev
