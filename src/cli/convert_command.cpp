#include "cli/convert_command.h"

#include <algorithm>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "cli/convert_batch.h"
#include "cli/convert_options.h"
#include "cli/output_plan.h"
#include "common/text_sink.h"
#include "common/version.h"

namespace zev {

namespace {

// What was sent to standard output must have arrived: a failed write or flush fails the run.
int checkedExit(StreamSink& standardOutput, std::ostream& err, int status) {
  if (const std::error_code error = standardOutput.flush()) {
    err << "zev-convert: " << STANDARD_OUTPUT_NAME << ": " << error.message() << '\n';
    return 1;
  }
  return status;
}

}  // namespace

int runConvertCommand(int argc, char** argv, std::ostream& out, std::ostream& err,
                      const ConverterFeatures& features) {
  ConvertOptions options;
  std::optional<std::string> problem = parseArguments(argc, argv, options);
  if (!problem && !options.graphsDir.empty() && !features.drawPages) {
    problem = "--graphs is not available in this build";
  }
  if (!problem && options.jobs > 1 && !features.threads) {
    problem = "-j is not available in this build";
  }
  if (problem) {
    err << "zev-convert: " << *problem << '\n'
        << usageText(static_cast<bool>(features.drawPages), features.threads);
    return 2;
  }
  StreamSink standardOutput(out);
  if (options.help || options.version) {
    standardOutput.write(options.help
                             ? usageText(static_cast<bool>(features.drawPages), features.threads)
                             : "zev-convert " + std::string(ZEV_VERSION) + "\n");
    return checkedExit(standardOutput, err, 0);
  }
  for (const std::string& option : options.ignoredInStillMode) {
    err << "zev-convert: " << option << " has no effect in still mode\n";
  }
  if (!options.graphsDir.empty() && features.startDrawing) {
    if (const std::string why = features.startDrawing(); !why.empty()) {
      err << "zev-convert: --graphs cannot draw: " << why << '\n';
      return 1;
    }
  }
  int jobs =
      options.jobs > 0 ? options.jobs : static_cast<int>(std::thread::hardware_concurrency());
  if (!features.threads) jobs = 1;
  const bool dataToStandardOutput =
      options.outputPath == STANDARD_OUTPUT || options.signalsPath == STANDARD_OUTPUT;
  const bool allConverted = convertAll(options, planOutputs(options), features, std::max(jobs, 1),
                                       {standardOutput, err, dataToStandardOutput});
  const int status = allConverted ? 0 : 1;
  // A file sent to standard output has had its own message when it did not arrive.
  return dataToStandardOutput ? status : checkedExit(standardOutput, err, status);
}

}  // namespace zev
