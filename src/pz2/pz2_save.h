#pragma once

#include <string>
#include <string_view>

#include "pz2/pz2_writer.h"

// Saving the pose file: the core of the Save command, without its dialog. A save either replaces
// the target with a complete file or leaves it as it was: the layout goes to a temporary file in
// the target's folder, which is renamed over the target only after every write, the flush and the
// close have succeeded.

namespace zev {

// What the status field shows when a save fails.
inline constexpr std::string_view PZ2_SAVE_ERROR_MESSAGE = "PZ2 FILE SAVE ERR";

// The title of a BVH file: its name without folder and without extension (the part before the
// name's last "."; the whole name when it has none).
std::string bvhFileTitleOf(std::string_view path);

// The name the save proposes: the title followed by ".pz2".
std::string proposedPz2Name(std::string_view bvhFileTitle);

// Writes whatever `write` sends to its sink into the file at path, through a temporary file as
// described above. The new file gets the permissions of the file it replaces, or the usual ones
// for a new file. Returns false, with no temporary file left, when any step fails.
bool saveThroughTemporaryFile(const std::string& path, void (*write)(Pz2Sink& sink));

// The pose file of the motion store at path; false when it could not be written completely.
bool savePz2File(const std::string& path);

}  // namespace zev
