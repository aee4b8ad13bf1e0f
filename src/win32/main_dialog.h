#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "dialog/dialog_state.h"
#include "dialog/dialog_template.h"
#include "win32/dialog_colours.h"
#include "win32/display_panel.h"
#include "win32/file_dialogs.h"
#include "win32/windows_api.h"

// The main dialog on Windows: the main dialog template, run modally. Every decision is made by
// DialogState; the window turns the controls' messages into its calls and shows its state: the
// buttons, spins, mode and status (with its detail as the status field's tooltip), and the
// drawings on the display panel.

namespace zev {

class MainDialog {
 public:
  // startFile: the motion the program was started with, opened once the dialog is up.
  MainDialog(HINSTANCE instance, const DialogColours& colours, FileDialogs& fileDialogs,
             std::optional<std::string> startFile);
  MainDialog(const MainDialog&) = delete;
  MainDialog& operator=(const MainDialog&) = delete;

  // Shows the dialog until the user closes it.
  void run();

 private:
  static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  // Sees every key the dialog's message loop takes, before the dialog's own key handling.
  static LRESULT CALLBACK filterKeys(int code, WPARAM wParam, LPARAM lParam);

  INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
  void initialise();
  void growToHoldPanel();
  void addStatusTooltip();
  void command(ControlId id, int code);
  bool answerKey(const MSG& message);
  void dropFiles(HDROP drop);
  bool takeTestAnswer(const COPYDATASTRUCT& data);
  void open();
  void save();
  std::filesystem::path fileDialogFolder() const;
  void close();

  // Mirrors the state on the controls and plays what was drawn onto the panel.
  void showState();
  void enable(ControlId id, bool enabled);
  HWND item(ControlId id) const;

  HINSTANCE instance_;
  const DialogColours& colours_;
  FileDialogs& fileDialogs_;
  std::optional<std::string> startFile_;
  DialogState state_;
  HWND dialog_ = nullptr;
  HWND tooltip_ = nullptr;
  HHOOK keyFilter_ = nullptr;
  std::unique_ptr<DisplayPanel> panel_;
};

}  // namespace zev
