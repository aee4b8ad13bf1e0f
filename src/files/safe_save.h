#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "common/text_sink.h"

// Saving a file so that it is never left half written: the text goes to a temporary file in the
// target's folder, which is renamed over the target only after every write, the flush and the
// close have succeeded. Either the target holds the complete new text, or it is as it was.

namespace zev {

struct SaveResult {
  std::error_code error;  // the system's reason when the save failed; empty on success
  std::string target;     // on failure, the file that could not be saved

  bool ok() const { return !error; }
  std::string reason() const { return error.message(); }
};

// Writes whatever `write` sends to its sink into the file at path. Saving over a link replaces the
// file it points to; the new file gets the permissions of the file it replaces, or the usual ones
// for a new file. A file the user may not write keeps its content and the save fails, as opening
// it for writing would. On failure no temporary file is left.
SaveResult saveThroughTemporaryFile(const std::filesystem::path& path,
                                    const std::function<void(TextSink& sink)>& write);

}  // namespace zev
