#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "win32/windows_api.h"

// The system's open and save dialogs for the motion and the pose file, with the titles, filters
// and extensions of OPEN_DIALOG_TEXTS and SAVE_DIALOG_TEXTS, the read-only box hidden, and a
// question before an existing file is replaced. Paths come back as the program holds them (UTF-8).

namespace zev {

class FileDialogs {
 public:
  // The full path of an existing motion file, or nothing when the user cancels. The dialog starts
  // in folder.
  std::optional<std::string> chooseOpenPath(HWND owner, const std::filesystem::path& folder);
  // The full path to save the pose file to, proposing proposedName in folder; nothing when the
  // user cancels.
  std::optional<std::string> chooseSavePath(HWND owner, const std::filesystem::path& folder,
                                            std::string_view proposedName);
};

}  // namespace zev
