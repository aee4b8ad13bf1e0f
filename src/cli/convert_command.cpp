#include "cli/convert_command.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/analysis_pass.h"
#include "analysis/effect_parameters.h"
#include "bvh/bvh_reader.h"
#include "common/version.h"
#include "pz2/pz2_save.h"
#include "pz2/signals_csv.h"
#include "store/motion_store.h"

namespace zev {

namespace {

// Option names and their explanation start in these columns of the usage text.
constexpr std::size_t OPTION_COLUMN = 2;
constexpr std::size_t EXPLANATION_COLUMN = 22;

std::string usageLine(std::string_view option, std::string_view explanation) {
  std::string line(OPTION_COLUMN, ' ');
  line += option;
  line.resize(std::max(line.size() + 1, EXPLANATION_COLUMN), ' ');
  return line.append(explanation).append("\n");
}

std::string usageText(const ConverterFeatures& features) {
  std::string text = "Usage: zev-convert [OPTIONS] INPUT.bvh...\n";
  text += usageLine("-o, --output FILE",
                    "output file (only with one input); default: beside each input, its title + "
                    "\".pz2\"");
  text += usageLine("--movie", "movie mode (default: still mode)");
  for (const ParameterRow& row : PARAMETER_TABLE) {
    text += usageLine("--" + std::string(row.option) + " N",
                      std::string(row.label) + ", " + std::to_string(row.range.minimum) + " to " +
                          std::to_string(row.range.maximum) + " (default " +
                          std::to_string(row.range.defaultValue) + ")");
  }
  text += usageLine("--no-limit",
                    "leave the six chest and head signals unlimited (the dialog always limits)");
  text +=
      usageLine("--signals FILE", "also write the per-frame signals as CSV (only with one input)");
  if (features.drawPages) {
    text += usageLine("--graphs DIR",
                      "also draw the three graph pages and the report page as PNG files into DIR");
  }
  if (features.threads) {
    text +=
        usageLine("-j, --jobs N", "convert N inputs at a time (default: the number of processors)");
  }
  text += usageLine("-h, --help",
                    "usage;   --version   the version (\"" + std::string(ZEV_VERSION) + "\")");
  return text;
}

struct ConvertOptions {
  EffectParameters parameters;
  std::string outputPath;
  std::string signalsPath;
  std::string graphsDir;
  std::vector<std::string> inputs;
  int jobs = 0;  // 0: one per processor
  bool help = false;
  bool version = false;
};

std::optional<std::string> wholeNumber(std::string_view value, int low, int high, int& number) {
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size() || number < low || number > high) {
    return "needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
           ", not \"" + std::string(value) + "\"";
  }
  return std::nullopt;
}

// The options the converter knows; the parameters' options come from the parameter table.
class OptionParser {
 public:
  explicit OptionParser(ConvertOptions& options) : options_(options) {}

  // Whether the option exists, and whether it needs a value.
  std::optional<bool> takesValue(std::string_view name) const {
    if (isOneOf(name, {"-o", "--output", "--signals", "--graphs", "-j", "--jobs"})) return true;
    if (isOneOf(name, {"--movie", "--no-limit", "-h", "--help", "--version"})) return false;
    if (parameterRow(name) != nullptr) return true;
    return std::nullopt;
  }

  // Applies one option, with its value when it takes one; the problem when it is not usable.
  std::optional<std::string> apply(std::string_view name, std::string_view value) {
    if (const ParameterRow* row = parameterRow(name)) {
      const ParameterRange& range = row->range;
      return wholeNumber(value, range.minimum, range.maximum, options_.parameters.*row->field);
    }
    if (name == "-o" || name == "--output") options_.outputPath = value;
    if (name == "--signals") options_.signalsPath = value;
    if (name == "--graphs") options_.graphsDir = value;
    if (name == "-j" || name == "--jobs") return wholeNumber(value, 1, 256, options_.jobs);
    if (name == "--movie") options_.parameters.stillMode = false;
    if (name == "--no-limit") options_.parameters.limitOn = false;
    if (name == "-h" || name == "--help") options_.help = true;
    if (name == "--version") options_.version = true;
    return std::nullopt;
  }

 private:
  static bool isOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    for (std::string_view candidate : names) {
      if (name == candidate) return true;
    }
    return false;
  }

  static const ParameterRow* parameterRow(std::string_view name) {
    for (const ParameterRow& row : PARAMETER_TABLE) {
      if (name.size() == row.option.size() + 2 && name.substr(0, 2) == "--" &&
          name.substr(2) == row.option) {
        return &row;
      }
    }
    return nullptr;
  }

  ConvertOptions& options_;
};

// Fills options from the arguments; returns the problem when they are not usable.
std::optional<std::string> parseArguments(int argc, char** argv, ConvertOptions& options) {
  OptionParser parser(options);
  bool onlyInputs = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (onlyInputs || argument.size() < 2 || argument[0] != '-') {
      options.inputs.emplace_back(argument);
      continue;
    }
    if (argument == "--") {
      onlyInputs = true;
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    const std::optional<bool> takesValue = parser.takesValue(name);
    if (!takesValue) return "unknown option \"" + std::string(name) + "\"";
    std::string_view value;
    if (equals != std::string_view::npos) {
      if (!*takesValue) return "option " + std::string(name) + " takes no value";
      value = argument.substr(equals + 1);
    } else if (*takesValue) {
      if (i + 1 == argc) return "option " + std::string(name) + " needs a value";
      value = argv[++i];
    }
    if (auto problem = parser.apply(name, value)) {
      return "option " + std::string(name) + " " + *problem;
    }
  }
  if (options.help || options.version) return std::nullopt;
  if (options.inputs.empty()) return "no input file";
  if (options.inputs.size() > 1 && !options.outputPath.empty()) {
    return "option --output takes only one input";
  }
  if (options.inputs.size() > 1 && !options.signalsPath.empty()) {
    return "option --signals takes only one input";
  }
  return std::nullopt;
}

std::string defaultOutputPath(const std::string& input) {
  const std::size_t slash = input.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : input.substr(0, slash + 1);
  return folder + proposedPz2Name(bvhFileTitleOf(input));
}

// One worker's memory, made once and reused for every input it converts.
struct Converter {
  BvhReader reader;
  std::unique_ptr<MotionStore> store = std::make_unique<MotionStore>();
};

// What converting one input printed, kept until its turn in the input order comes.
struct Report {
  bool converted = false;
  std::string out;
  std::string err;
};

// Converts one input as if the program had just started: the signals of an earlier input never
// reach this one's files.
Report convertOne(const std::string& input, const ConvertOptions& options,
                  const ConverterFeatures& features, Converter& converter) {
  Report report;
  MotionStore& store = *converter.store;
  // Zeroed in place: a store is too large to be built as a temporary on a worker's stack.
  std::construct_at(&store);
  const BvhReadResult read = converter.reader.readFile(input, store.motion);
  if (!read.ok()) {
    report.err = input + ": " + std::string(read.message()) + "\n";
    return report;
  }
  analyseMotion(options.parameters, store.motion, store.signals);

  const std::string output =
      options.outputPath.empty() ? defaultOutputPath(input) : options.outputPath;
  if (!savePz2File(output, store).ok()) {
    report.err = input + ": " + std::string(PZ2_SAVE_ERROR_MESSAGE) + "\n";
    return report;
  }
  if (!options.signalsPath.empty() &&
      !saveThroughTemporaryFile(options.signalsPath, [&store](TextSink& sink) {
         writeSignalsCsv(sink, store);
       }).ok()) {
    report.err = options.signalsPath + ": cannot write the signals file\n";
    return report;
  }
  if (!options.graphsDir.empty()) {
    const SaveResult pictures =
        features.drawPages(options.graphsDir, bvhFileTitleOf(input), store,
                           options.parameters.stillMode, options.parameters.gCoefficient);
    if (!pictures.ok()) {
      report.err = pictures.target + ": " + pictures.reason() + "\n";
      return report;
    }
  }
  report.out = input + ": " + std::to_string(store.motion.frameCount) + " frames, " +
               std::to_string(store.signals.frameRate) + " fps, " +
               (options.parameters.stillMode ? "still" : "movie") + " mode -> " + output + "\n";
  report.converted = true;
  return report;
}

// Converts every input on up to `jobs` threads and prints each report in input order as soon as
// it and all before it are done. Returns whether every input was converted.
bool convertAll(const ConvertOptions& options, const ConverterFeatures& features, int jobs,
                std::ostream& out, std::ostream& err) {
  const std::size_t count = options.inputs.size();
  std::vector<std::optional<Report>> reports(count);
  std::mutex mutex;
  std::condition_variable done;
  std::size_t next = 0;

  const auto work = [&] {
    Converter converter;
    for (;;) {
      std::size_t index;
      {
        const std::lock_guard lock(mutex);
        if (next == count) return;
        index = next++;
      }
      Report report = convertOne(options.inputs[index], options, features, converter);
      {
        const std::lock_guard lock(mutex);
        reports[index] = std::move(report);
      }
      done.notify_all();
    }
  };

  const std::size_t workers = std::min(static_cast<std::size_t>(jobs), count);
  std::vector<std::thread> threads;
  if (workers > 1) {
    // Where the system gives fewer threads than asked for, the ones it gave do the work.
    try {
      for (std::size_t i = 0; i < workers; ++i) threads.emplace_back(work);
    } catch (const std::system_error&) {
    }
  }
  if (threads.empty()) work();
  bool allConverted = true;
  for (std::size_t index = 0; index < count; ++index) {
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return reports[index].has_value(); });
    const Report report = std::move(*reports[index]);
    lock.unlock();
    out << report.out << std::flush;
    err << report.err << std::flush;
    allConverted = allConverted && report.converted;
  }
  for (std::thread& thread : threads) thread.join();
  return allConverted;
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
    err << "zev-convert: " << *problem << '\n' << usageText(features);
    return 2;
  }
  if (options.help) {
    out << usageText(features);
    return 0;
  }
  if (options.version) {
    out << "zev-convert " << ZEV_VERSION << '\n';
    return 0;
  }
  if (!options.graphsDir.empty() && features.startDrawing) features.startDrawing();
  int jobs =
      options.jobs > 0 ? options.jobs : static_cast<int>(std::thread::hardware_concurrency());
  if (!features.threads) jobs = 1;
  return convertAll(options, features, std::max(jobs, 1), out, err) ? 0 : 1;
}

}  // namespace zev
