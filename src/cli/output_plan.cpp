#include "cli/output_plan.h"

#include "files/file_system.h"
#include "files/output_claims.h"
#include "pages/panel_state.h"
#include "pz2/pz2_save.h"

namespace zev {

namespace {

std::string defaultOutputPath(const std::string& input) {
  return input.substr(0, fileNameOffset(input)) + proposedPz2Name(bvhFileTitleOf(input));
}

std::string refusalOf(const std::string& output, const ClaimHolder& holder) {
  const bool sameName = holder.path == output;
  if (holder.owner.empty()) {
    return output +
           (sameName ? ": an input of this run" : ": the same file as the input " + holder.path);
  }
  return output +
         (sameName ? ": already an output of "
                   : ": the same file as " + holder.path + ", an output of ") +
         holder.owner;
}

}  // namespace

std::vector<OutputPlan> planOutputs(const ConvertOptions& options) {
  OutputClaims claims;
  for (const std::string& input : options.inputs) claims.addInput(pathFromUtf8(input));
  std::vector<OutputPlan> plans;
  for (const std::string& input : options.inputs) {
    OutputPlan plan;
    plan.pz2 = options.outputPath.empty() ? defaultOutputPath(input) : options.outputPath;
    plan.signals = options.signalsPath;
    if (!options.graphsDir.empty()) {
      const std::string title = bvhFileTitleOf(input);
      for (std::string_view page : PAGE_PICTURE_NAMES) {
        plan.pictures.push_back((pathFromUtf8(options.graphsDir) /
                                 pathFromUtf8(title + "-" + std::string(page) + ".png"))
                                    .string());
      }
    }
    std::vector<std::string> files{plan.pz2, plan.signals};
    files.insert(files.end(), plan.pictures.begin(), plan.pictures.end());
    for (const std::string& file : files) {
      if (file.empty() || isStandardOutput(file)) continue;
      const ClaimResult claim = claims.claim(pathFromUtf8(file), input);
      if (!claim.granted && plan.refusal.empty()) plan.refusal = refusalOf(file, claim.holder);
    }
    plans.push_back(std::move(plan));
  }
  return plans;
}

}  // namespace zev
