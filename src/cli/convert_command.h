#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "files/save_registry.h"
#include "pages/panel_state.h"

// zev-convert: BVH files to PZ2 pose files on the command line, each input through the same
// analysis and save as the dialog's Open and Save. Settings come from options instead of the
// dialog's controls; failures are reported per input with the dialog's messages, each followed by
// a line that says where and why.

namespace zev {

// What a build of the converter offers beyond the core. The command itself needs no window
// system; the program that runs it hands in what its platform can do.
struct ConverterFeatures {
  // Draws the panel's pages of a converted motion as PNG files (--graphs), which the command
  // saves with the input's other outputs. Empty where the build cannot draw.
  std::function<PagePictures(const PagePictureRequest&)> drawPages = {};
  // Called once, on the calling thread, before the first page is drawn: why drawing cannot start,
  // for a person, or nothing when it can.
  std::function<std::string()> startDrawing = {};
  // Whether inputs may be converted on several threads (-j).
  bool threads = true;
  // The files an input's wildcards name, where the system leaves them to the program (Windows);
  // empty where the shell expands them. Only inputs are expanded, never an option's value.
  std::function<std::vector<std::string>(const std::string&)> inputsMatching = {};
  // The program's saves under way, which a stop by signal removes; null where the program is not
  // stopped that way.
  SaveRegistry* saves = nullptr;
};

// Exit status: 0 when every input was converted, 1 when any failed or out did not take what was
// written to it, 2 for a usage error (nothing is converted then). Results go to out (to err when
// out carries a file: "-o -" or "--signals -"), usage errors, warnings and failures to err, in
// input order also when several inputs are converted at a time.
int runConvertCommand(int argc, char** argv, std::ostream& out, std::ostream& err,
                      const ConverterFeatures& features = {});

}  // namespace zev
