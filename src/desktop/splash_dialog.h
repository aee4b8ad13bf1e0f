#pragma once

#include <QDialog>
#include <QTimer>

#include "dialog/start_up.h"

// The start-up picture: a frameless 200 x 200 splash centred on the screen, closed after two and a
// half seconds or at once by a left double-click (or Enter, Escape, the close command).

namespace zev {

class SplashDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit SplashDialog(QWidget* parent = nullptr);

 public Q_SLOTS:
  // However the splash closes, its timer stops with it.
  void done(int result) override;

 protected:
  // The two and a half seconds count from when the splash appears.
  void showEvent(QShowEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QTimer closeTimer_;
};

}  // namespace zev
