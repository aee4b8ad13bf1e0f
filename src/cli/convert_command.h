#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "files/safe_save.h"
#include "store/motion_store.h"

// zev-convert: BVH files to PZ2 pose files on the command line, each input through the same
// analysis and save as the dialog's Open and Save. Settings come from options instead of the
// dialog's controls; failures are reported per input with the dialog's messages.

namespace zev {

// What a build of the converter offers beyond the core. The command itself needs no window
// system; the program that runs it hands in what its platform can do.
struct ConverterFeatures {
  // Draws the panel's pages of a converted motion as pictures into a folder (--graphs): folder,
  // file title, store, still mode, G coefficient. Empty where the build cannot draw.
  std::function<SaveResult(const std::filesystem::path&, const std::string&, const MotionStore&,
                           bool, int)>
      drawPages;
  // Called once, on the calling thread, before the first page is drawn.
  std::function<void()> startDrawing;
  // Whether inputs may be converted on several threads (-j).
  bool threads = true;
};

// Exit status: 0 when every input was converted, 1 when any failed, 2 for a usage error (nothing
// is converted then). Results go to out, usage errors and failures to err, in input order also
// when several inputs are converted at a time.
int runConvertCommand(int argc, char** argv, std::ostream& out, std::ostream& err,
                      const ConverterFeatures& features = {});

}  // namespace zev
