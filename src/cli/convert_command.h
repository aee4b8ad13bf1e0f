#pragma once

#include <ostream>
#include <string_view>

// zev-convert: BVH files to PZ2 pose files on the command line, each input through the same
// analysis pass and save as the dialog's Open and Save. Settings come from options instead of the
// dialog's controls; failures are reported per input with the dialog's messages.

namespace zev {

inline constexpr std::string_view CONVERTER_VERSION = "0.93B";

// Exit status: 0 when every input was converted, 1 when any failed, 2 for a usage error (nothing
// is converted then). Results go to out, usage errors and failures to err.
int runConvertCommand(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace zev
