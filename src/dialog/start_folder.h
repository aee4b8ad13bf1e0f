#pragma once

#include <filesystem>
#include <span>

// Where the open and save dialogs start: beside the file last opened (from the open dialog, by a
// drop or from the command line) or saved, so that the pose file is proposed beside its motion.
// A failed save leaves the folder as it was, and a folder that a dialog cannot list is never
// offered.

namespace zev {

// Whether a file dialog can start in folder: it exists, can be listed and lies on a file system
// that stores files. The system's own views (/proc, /sys) report no room at all; what they list
// are no motions, and no pose file can be saved there.
bool canStartIn(const std::filesystem::path& folder);

class StartFolder {
 public:
  // A file was opened or saved: later dialogs start in its folder, if they can.
  void fileChosen(const std::filesystem::path& file);
  // The folder of the file last chosen while a dialog can still start there, else the first of
  // fallbacks where it can; empty when there is none.
  std::filesystem::path folder(std::span<const std::filesystem::path> fallbacks) const;

 private:
  std::filesystem::path folder_;
};

}  // namespace zev
