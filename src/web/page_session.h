#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "dialog/dialog_state.h"

// The browser page's session: the dialog's state, and what the page does where the dialog uses
// files of its own. The page hands in the bytes of the file the user chose or dropped, which the
// session keeps as a file in its folder (in the page's memory), so that Open and Analyze read it
// as the dialog reads its file; it takes the pose file, the signals and the drawings out as text.
//
// The page is a web tool rather than a window, and shows more than the dialog does: a pass that
// worked draws the Chest page at once and says in the detail how many frames it analysed in which
// mode; a download leaves the panel as it is, as nothing covers it; a typed number sets its spin;
// and the session knows which page the panel shows, to name its picture after it.

namespace zev {

// A larger file gets a message instead of a copy in the page's memory. A motion of the most frames
// the reader accepts, with the longest lines it reads, is far smaller.
inline constexpr std::size_t MAX_PAGE_FILE_BYTES = std::size_t{32} << 20;

// What the panel shows, besides the pages of PAGE_PICTURE_NAMES: the about page, or nothing.
inline constexpr std::string_view ABOUT_PAGE_NAME = "about";
inline constexpr std::string_view BLANK_PAGE_NAME = "page";

class PageSession {
 public:
  // Keeps the opened file in folder, made when missing.
  explicit PageSession(std::filesystem::path folder);
  ~PageSession();
  PageSession(const PageSession&) = delete;
  PageSession& operator=(const PageSession&) = delete;

  DialogState& dialog() { return dialog_; }
  const DialogState& dialog() const { return dialog_; }

  // The dialog's press as the page plays it (see above); what the page must then do itself.
  ShellAction press(ControlId id);
  // The about page as soon as the page is up.
  void dialogIsUp();
  // A dropped file clears the panel as Open does, before its bytes arrive.
  void beginOpen();
  // Whether a file of that size is read at all. When it is too large, this is the Open of that
  // file, failed with a message that says so.
  bool admitsFile(std::string_view name, double size);
  // Open with the bytes of the file called name.
  void openFile(std::string_view name, std::string_view bytes);
  // Open of a file the browser could not read, for that reason.
  void openUnreadable(std::string_view name, std::string_view reason);
  // A typed value for a spin: taken as the steps of its arrows from where it stands to value would
  // take it, so that it makes the results stale as they would; refused, changing nothing, when it
  // lies outside the spin's range or the spin cannot be used.
  bool setSpin(Spin spin, int value);

  // The line under the status, which its tooltip also shows: the dialog's detail, after a pass
  // that worked with the frames it analysed and the mode first.
  std::string detail() const;
  // The name of the page the panel shows: one of PAGE_PICTURE_NAMES, ABOUT_PAGE_NAME or
  // BLANK_PAGE_NAME.
  std::string_view shownPage() const { return shownPage_; }
  // Whether the panel invites a first file: none has been opened, and it shows the about page or
  // nothing, not a page the user asked for.
  bool showsEmptyState() const;

  // The pose file and the signals of the last analysis, as Save and the converter write them.
  std::string poseFile() const;
  std::string signalsCsv() const;
  // The dialog's state and the drawings made since the last call, for the page (see page_json.h).
  std::string stateJson() const;
  std::string takePanelOpsJson();

 private:
  // After Open or Analyze has run the pass: what it found, and the Chest page when it worked.
  void passDone();

  std::filesystem::path folder_;
  std::filesystem::path keptFile_;
  DialogState dialog_;
  std::string passSummary_;
  std::string_view shownPage_ = BLANK_PAGE_NAME;
};

}  // namespace zev
