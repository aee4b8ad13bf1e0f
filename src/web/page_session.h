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

namespace zev {

// A larger file gets a message instead of a copy in the page's memory. A motion of the most frames
// the reader accepts, with the longest lines it reads, is far smaller.
inline constexpr std::size_t MAX_PAGE_FILE_BYTES = std::size_t{32} << 20;

class PageSession {
 public:
  // Keeps the opened file in folder, made when missing.
  explicit PageSession(std::filesystem::path folder);
  ~PageSession();
  PageSession(const PageSession&) = delete;
  PageSession& operator=(const PageSession&) = delete;

  DialogState& dialog() { return dialog_; }
  const DialogState& dialog() const { return dialog_; }

  // Whether a file of that size is read at all. When it is too large, this is the Open of that
  // file, failed with a message that says so.
  bool admitsFile(std::string_view name, double size);
  // Open with the bytes of the file called name.
  void openFile(std::string_view name, std::string_view bytes);
  // Open of a file the browser could not read, for that reason.
  void openUnreadable(std::string_view name, std::string_view reason);

  // The pose file and the signals of the last analysis, as Save and the converter write them.
  std::string poseFile() const;
  std::string signalsCsv() const;
  // The dialog's state and the drawings made since the last call, for the page (see page_json.h).
  std::string stateJson() const;
  std::string takePanelOpsJson();

 private:
  std::filesystem::path folder_;
  std::filesystem::path keptFile_;
  DialogState dialog_;
};

}  // namespace zev
