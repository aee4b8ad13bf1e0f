#include "cli/convert_command.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/convert_batch.h"
#include "cli/convert_options.h"
#include "cli/output_plan.h"
#include "common/text_sink.h"
#include "common/version.h"
#include "files/file_system.h"

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

// The folders of path that are not there yet, deepest first: those that making path creates.
std::vector<std::filesystem::path> missingFolders(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  std::vector<fs::path> missing;
  std::error_code error;
  fs::path folder = fs::absolute(path, error).lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();  // "pages/"
  while (!error && folder.has_relative_path() && !fs::exists(folder, error) && !error) {
    missing.push_back(folder);
    folder = folder.parent_path();
  }
  return missing;
}

// The --graphs folders that this run made and saved nothing into go again, so that a failed run
// leaves the disk as it found it.
void removeEmptyFolders(const std::vector<std::filesystem::path>& made) {
  for (const std::filesystem::path& folder : made) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error) && std::filesystem::is_empty(folder, error) &&
        !error) {
      std::filesystem::remove(folder, error);
    }
  }
}

}  // namespace

int runConvertCommand(int argc, char** argv, std::ostream& out, std::ostream& err,
                      const ConverterFeatures& features) {
  ConvertOptions options;
  std::optional<std::string> problem = parseArguments(argc, argv, features, options);
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
      isStandardOutput(options.outputPath) || isStandardOutput(options.signalsPath);
  const std::vector<std::filesystem::path> pictureFolders =
      options.graphsDir.empty() ? std::vector<std::filesystem::path>()
                                : missingFolders(pathFromUtf8(options.graphsDir));
  const bool allConverted = convertAll(options, planOutputs(options), features, std::max(jobs, 1),
                                       {standardOutput, err, dataToStandardOutput});
  removeEmptyFolders(pictureFolders);
  const int status = allConverted ? 0 : 1;
  // A file sent to standard output has had its own message when it did not arrive.
  return dataToStandardOutput ? status : checkedExit(standardOutput, err, status);
}

}  // namespace zev
