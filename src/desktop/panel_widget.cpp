#include "desktop/panel_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QThread>

#include "pictures/panel_renderer.h"

namespace zev {

namespace {

QImage blankPanel(qreal pixelRatio) {
  QImage image(QSize(PANEL_WIDTH, PANEL_HEIGHT) * pixelRatio, QImage::Format_RGB32);
  image.setDevicePixelRatio(pixelRatio);
  image.fill(Qt::black);
  return image;
}

}  // namespace

PanelWidget::PanelWidget(QWidget* parent) : QWidget(parent) {
  setFixedSize(PANEL_WIDTH, PANEL_HEIGHT);
  setAttribute(Qt::WA_OpaquePaintEvent);
  image_ = blankPanel(devicePixelRatioF());
}

void PanelWidget::play(const PanelOps& ops) {
  matchScreen();
  for (const PanelOp& op : ops) {
    if (op.kind == PanelOpKind::FillBlack) shown_.clear();
    shown_.push_back(op);
  }
  PanelRenderer renderer(image_, logicalDpiY());
  renderer.play(ops, [this](int milliseconds) {
    if (!isVisible()) return;
    repaint();
    QThread::msleep(static_cast<unsigned long>(milliseconds));
  });
  update();
}

QImage PanelWidget::image() const { return image_; }

void PanelWidget::matchScreen() {
  const qreal pixelRatio = devicePixelRatioF();
  if (image_.devicePixelRatio() == pixelRatio) return;
  image_ = blankPanel(pixelRatio);
  PanelRenderer(image_, logicalDpiY()).play(shown_);
}

void PanelWidget::paintEvent(QPaintEvent*) {
  matchScreen();
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
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
