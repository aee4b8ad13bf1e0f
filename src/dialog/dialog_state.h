#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/effect_parameters.h"
#include "bvh/bvh_reader.h"
#include "dialog/analysis_view.h"
#include "dialog/dialog_template.h"
#include "dialog/start_folder.h"
#include "pages/panel_ops.h"
#include "pages/panel_state.h"
#include "store/motion_store.h"

// What the main dialog decides, without any window: what a press of each control of the dialog's
// description does, the parameter spins with their ranges and wrap-around, the mode, which controls
// can be used after what, the opened file, the status text and the drawings the commands put on the
// display panel. It owns the session's motion store and panel state, so what they keep from one
// pass to the next is this dialog's affair. A window only shows this state, forwards the user's
// presses, and does the few things a press leaves to it (ShellAction).

namespace zev {

// The title shown on the report page before any file has been opened.
inline constexpr std::string_view NO_FILE_TITLE = "N/A ";

// Whether a drop of fileCount files, the first named firstName, opens that file: only one file, and
// a name that ends in ".bvh" in any mix of cases. Anything else is not taken.
bool opensDroppedFile(int fileCount, std::string_view firstName);

// The program opens the one motion it is started with; started with more, it says so with this
// message and opens none. Nothing for none or one.
std::optional<std::string> refuseStartFiles(std::size_t fileCount);

// What a shell must do itself once the dialog's logic has done its part: ask the user for a motion
// file to open (then openFile) or for a file to save the pose file to (then saveTo), close the
// dialog, or sound the tone of KEY_BEEP_HERTZ for KEY_BEEP_MILLISECONDS.
enum class ShellAction { None, ChooseFileToOpen, ChooseFileToSave, CloseDialog, Beep };

// The keys the dialog answers before its controls see them. Enter and Escape neither press a
// button nor close the dialog, so that a stray key never opens or saves: they only sound the
// tone. F3 closes the dialog as its close command does. Every other key works as usual: nothing.
enum class DialogKey { Enter, Escape, F3, Other };
std::optional<ShellAction> respondToKey(DialogKey key);
inline constexpr int KEY_BEEP_HERTZ = 570;
inline constexpr int KEY_BEEP_MILLISECONDS = 500;

class DialogState final : public AnalysisView {
 public:
  // The dialog as it starts: still mode, default parameters, Save, Analyze and Graph disabled, a
  // zeroed motion store.
  DialogState();
  ~DialogState() override;

  // Reached by the analysis pass and the save command.
  void showStatus(std::string_view message, std::string_view detail) override;
  void setButtonEnabled(PassButton button, bool enabled) override;
  // Also the CLEAR button: the panel goes black, the panel mode stays.
  void clearPanel() override;

  // A press of the control with that id: a click on a button, a radio button, a check box or the
  // display panel. Does what the dialog decides and returns what the shell must do itself. A
  // control that cannot be used, or that a press means nothing to, does nothing.
  ShellAction press(ControlId id);
  // What a shell shows on each control of the description: whether it can be used (a number field
  // as long as its spin can), and whether a radio button or check box is checked.
  bool enabled(ControlId id) const;
  bool checked(ControlId id) const;

  // Open and Save clear the panel before they ask for a file; a dropped file is opened as Open
  // opens a chosen one.
  void beginOpen();
  void beginSave();
  // The rest of Open once the user has chosen a file in the open dialog: remember it, disable
  // Save, Analyze and Graph, forget the old frame count and analyse it.
  void openFile(std::string_view path);
  // Open of a file given without the open dialog (dropped on the dialog, or named when the program
  // started): the panel is cleared as Open clears it, then the file is opened.
  void openGivenFile(std::string_view path);
  // Once the dialog is up (its first event after it shows): the about page, then Open of the
  // motion the program was started with, if any.
  void dialogIsUp(const std::optional<std::string>& startFile);
  // Open of a chosen file that the window could not hand to the reader (too large for it, or gone
  // before it was read): as openFile of a file that cannot be opened, with reason as the detail.
  void openUnreadable(std::string_view path, std::string_view reason);
  // Reads the opened file again and analyses it with the parameters as they are now.
  void analyze();
  // Writes the pose file to a path the user chose (UTF-8, as every path here); a failure shows in
  // the status field, and so does a path that leads to the opened motion file, which stays as it
  // is. A later save that works takes that failure away.
  void saveTo(const std::string& path);
  // The name the save dialog proposes: the opened file's title with ".pz2".
  std::string proposedSaveName() const;
  // Where the next open or save dialog starts: beside the file last opened or saved, else in the
  // first of the window's fallbacks that can be listed (see StartFolder).
  std::filesystem::path fileDialogFolder(std::span<const std::filesystem::path> fallbacks) const {
    return startFolder_.folder(fallbacks);
  }

  void showGraph();
  void showInfo();
  void showAbout();
  void panelClicked();

  // Every click counts, also on the mode already selected: the shown results are stale.
  void selectStillMode();
  void selectMovieMode();
  // One step of a spin's arrow, wrapping at both ends. A disabled spin does not move.
  void stepSpin(Spin spin, bool up);
  void restoreDefaults();

  EffectParameters parameters() const;
  bool buttonEnabled(PassButton button) const;
  bool spinEnabled(Spin spin) const;
  int position(Spin spin) const { return positions_[static_cast<int>(spin)]; }
  bool stillMode() const { return stillMode_; }
  bool limitOn() const { return limitOn_; }
  bool loop() const { return loop_; }
  const std::string& status() const { return status_; }
  // Where and why, for the status field's tooltip; empty when the status needs none.
  const std::string& statusDetail() const { return statusDetail_; }
  const std::string& bvhFilePath() const { return bvhFilePath_; }
  const std::string& bvhFileTitle() const { return bvhFileTitle_; }
  const MotionStore& store() const { return *store_; }
  const PanelState& panel() const { return panel_; }

  // The drawings made since the last call, in order, for the window to play onto the panel.
  PanelOps takePanelOps();

 private:
  void markResultsStale();
  // What Open does with a chosen file before the reader sees it.
  void rememberOpenedFile(std::string_view path);
  void draw(const PanelOps& ops);

  BvhReader reader_;
  std::unique_ptr<MotionStore> store_;
  PanelState panel_;
  std::array<int, SPIN_COUNT> positions_{};
  std::array<bool, PASS_BUTTON_COUNT> buttonsEnabled_{};  // indexed by PassButton
  bool stillMode_ = true;
  bool limitOn_ = true;
  bool loop_ = false;
  std::string status_;
  std::string statusDetail_;
  std::string bvhFilePath_;
  std::string bvhFileTitle_{NO_FILE_TITLE};
  PanelOps pendingPanelOps_;
  StartFolder startFolder_;
};

}  // namespace zev
