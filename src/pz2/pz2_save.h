#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "files/safe_save.h"
#include "store/motion_store.h"

// Saving the pose file: the core of the Save command, without its dialog, and the names the
// dialog and the converter give the files of a motion.

namespace zev {

// What the status field shows when a save fails.
inline constexpr std::string_view PZ2_SAVE_ERROR_MESSAGE = "PZ2 FILE SAVE ERR";

// The title of a BVH file: its name without folder and without extension (the part before the
// name's last "."; the whole name when it has none).
std::string bvhFileTitleOf(std::string_view path);

// The name the save proposes: the title followed by ".pz2".
std::string proposedPz2Name(std::string_view bvhFileTitle);

// The pose file of store at path, complete or not at all.
SaveResult savePz2File(const std::filesystem::path& path, const MotionStore& store);

}  // namespace zev
