#include "desktop/panel_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QThread>

#include "pictures/panel_renderer.h"

namespace zev {

PanelWidget::PanelWidget(QWidget* parent)
    : QWidget(parent), image_(PANEL_WIDTH, PANEL_HEIGHT, QImage::Format_RGB32) {
  image_.fill(Qt::black);
  setFixedSize(PANEL_WIDTH, PANEL_HEIGHT);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PanelWidget::play(const PanelOps& ops) {
  PanelRenderer renderer(image_, logicalDpiY());
  renderer.play(ops, [this](int milliseconds) {
    if (!isVisible()) return;
    repaint();
    QThread::msleep(static_cast<unsigned long>(milliseconds));
  });
  update();
}

QImage PanelWidget::image() const { return image_; }

void PanelWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), image_, event->rect());
}

void PanelWidget::mousePressEvent(QMouseEvent* event) {
  event->accept();
  // Only the left button clicks the panel; a right or middle press must not start a page.
  if (event->button() == Qt::LeftButton) Q_EMIT clicked();
}

void PanelWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double-click arrives as this event alone; it must not count as a
  // second click, which would skip a graph page or play the report page twice.
  event->accept();
}

}  // namespace zev
