#include "desktop/splash_dialog.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "pictures/pictures.h"

namespace zev {

SplashDialog::SplashDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  auto* picture = new QLabel(this);
  picture->setPixmap(QPixmap::fromImage(splashPicture()));
  picture->setAlignment(Qt::AlignCenter);
  picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  // Clicks go through the picture to the dialog.
  picture->setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(picture);
  setFixedSize(layout->sizeHint());

  closeTimer_.setSingleShot(true);
  closeTimer_.setTimerType(Qt::PreciseTimer);
  closeTimer_.setInterval(SPLASH_MILLISECONDS);
  connect(&closeTimer_, &QTimer::timeout, this, &QDialog::accept);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
  }
}

void SplashDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  closeTimer_.start();
}

void SplashDialog::done(int result) {
  closeTimer_.stop();
  QDialog::done(result);
}

void SplashDialog::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) accept();
}

void SplashDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    accept();
  } else {
    QDialog::keyPressEvent(event);
  }
}

}  // namespace zev
