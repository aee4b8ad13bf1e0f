#pragma once

#include <QDialog>
#include <QHash>
#include <QRect>
#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "dialog/dialog_state.h"
#include "dialog/dialog_template.h"

class QLineEdit;

// The main dialog: the window in which the user opens a motion, sets the mode and the effect
// parameters, analyses, looks at the display panel and saves the pose file. The controls keep the
// places, texts and ids of the dialog's template (MAIN_DIALOG_CONTROLS); every decision is made by
// DialogState and the window only shows it and forwards what the user does.

namespace zev {

class FileDialogs;
class PanelWidget;
class SpinArrows;

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

  // Opens the motion at path as Open would, once the about page has been drawn: `zev FILE.bvh`.
  // Call before the dialog is shown.
  void openWhenShown(const std::string& path) { startFile_ = path; }

  // The control with that template id.
  QWidget* control(ControlId id) const { return controls_.value(static_cast<int>(id)); }
  const DialogState& state() const { return state_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildControls(double dotsPerInch);
  // The window of one template row, placed and registered under its id.
  QWidget* addControl(const ControlTemplate& row, double dotsPerInch);
  void connectControls();
  void placeNearMousePointer();

  void open();
  void save();
  // Beside the file last opened or saved; before that the working folder, then the home folder.
  std::filesystem::path fileDialogFolder() const;
  // Mirrors the state on the controls and plays what was drawn onto the panel.
  void showState();
  bool handleKey(QWidget* target, int key);

  FileDialogs& fileDialogs_;
  DialogState state_;
  QHash<int, QWidget*> controls_;
  std::array<QLineEdit*, SPIN_COUNT> fields_{};
  std::array<SpinArrows*, SPIN_COUNT> spins_{};
  PanelWidget* panel_ = nullptr;
  std::optional<std::string> startFile_;
};

}  // namespace zev
