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
// parameters, analyses, looks at the display panel and saves the pose file. Its controls are built
// from the dialog's description (MAIN_DIALOG_CONTROLS), with their places, texts and ids; every
// decision is made by DialogState, and the window only shows it, forwards each press and does what
// the press leaves to it.

namespace zev {

class FileDialogs;
class PanelWidget;
class SpinArrows;

// Pixels of a rectangle given in dialog units, on a screen of dotsPerInch logical resolution: the
// dialog font's cell (DIALOG_FONT_CELL_WIDTH x DIALOG_FONT_CELL_HEIGHT at 96 dots per inch) scaled.
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

  // What a press or a key leaves to the window: the file dialogs, closing, the tone.
  void perform(ShellAction action);
  // Beside the file last opened or saved; before that the working folder, then the home folder.
  std::filesystem::path fileDialogFolder() const;
  // Mirrors the state on every control of the description and plays what was drawn onto the
  // panel.
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
