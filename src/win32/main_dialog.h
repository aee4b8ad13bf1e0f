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

// The main dialog on Windows: the main dialog template (written from the dialog's description when
// the program is built), run modally. Every decision is made by DialogState; the window turns the
// controls' messages into presses, does what a press leaves to it, and shows the state on every
// control (the status's detail as the status field's tooltip) and the drawings on the panel.

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
  // What a press or a key leaves to the window: the file dialogs, closing, the tone.
  void perform(ShellAction action);
  std::filesystem::path fileDialogFolder() const;
  void close();

  // Mirrors the state on every control of the description and plays what was drawn onto the
  // panel.
  void showState();
  // The status in its field, and its detail as the field's tooltip.
  void showStatus(ControlId field);
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
