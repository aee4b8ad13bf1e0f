#pragma once

#include <QDialog>
#include <QHash>
#include <QRect>
#include <array>

#include "ui/dialog_state.h"

class QLineEdit;

// The main dialog: the window in which the user opens a motion, sets the mode and the effect
// parameters, analyses, looks at the display panel and saves the pose file. The controls keep the
// places, texts and ids of the dialog's template; every decision is made by DialogState and the
// window only shows it and forwards what the user does.

namespace zev {

class FileDialogs;
class PanelWidget;
class SpinArrows;

enum ControlId : int {
  STATUS_FIELD = 1000,
  OPEN_BUTTON = 1004,
  SAVE_BUTTON = 1005,
  ANALYZE_BUTTON = 1012,
  LIMIT_CHECK = 1015,
  EXIT_BUTTON = 1018,
  DISPLAY_PANEL = 1019,
  GRAPH_BUTTON = 1020,
  INFO_BUTTON = 1028,
  DEFAULT_BUTTON = 1033,
  CLEAR_BUTTON = 1034,
  STILL_MODE_RADIO = 1041,
  MOVIE_MODE_RADIO = 1042,
  INERTIA_RATE_FIELD = 1044,
  ACCEL_RATE_FIELD = 1046,
  G_FUSION_FIELD = 1047,
  DELAY_TIME_FIELD = 1048,
  G_COEFFICIENT_FIELD = 1050,
  G_COEFFICIENT_SPIN = 1052,
  DELAY_TIME_SPIN = 1053,
  INERTIA_RATE_SPIN = 1054,
  ACCEL_RATE_SPIN = 1055,
  G_FUSION_SPIN = 1056,
};

inline constexpr const char* MAIN_DIALOG_CAPTION = "Z.E.V ";

// Dialog units are fixed fractions of the dialog font's average character cell: a quarter of its
// width and an eighth of its height. The cell of Arial 8 points at 96 dots per inch is 6 x 14.
inline constexpr int DIALOG_BASE_UNIT_X = 6;
inline constexpr int DIALOG_BASE_UNIT_Y = 14;

// Pixels of a rectangle given in dialog units, on a screen of dotsPerInch logical resolution.
QRect dialogUnitsToPixels(const QRect& units, double dotsPerInch);

class MainDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit MainDialog(FileDialogs& fileDialogs, QWidget* parent = nullptr);
  ~MainDialog() override;

  // The control with that template id.
  QWidget* control(ControlId id) const { return controls_.value(id); }
  const DialogState& state() const { return state_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildControls(double dotsPerInch);
  template <typename Control>
  Control* addControl(ControlId id, Control* control, const QRect& units, double dotsPerInch);
  void placeNearMousePointer();

  void open();
  void save();
  // Mirrors the state on the controls and plays what was drawn onto the panel.
  void showState();
  bool handleKey(QWidget* target, int key);

  FileDialogs& fileDialogs_;
  DialogState state_;
  QHash<int, QWidget*> controls_;
  std::array<QLineEdit*, SPIN_COUNT> fields_{};
  std::array<SpinArrows*, SPIN_COUNT> spins_{};
  PanelWidget* panel_ = nullptr;
};

}  // namespace zev
