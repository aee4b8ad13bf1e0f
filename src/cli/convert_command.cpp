#include "cli/convert_command.h"

#include <array>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_pass.h"
#include "cli/signals_csv.h"
#include "pz2/pz2_save.h"
#include "store/motion_store.h"
#include "ui/page_pictures.h"

namespace zev {

namespace {

constexpr std::string_view USAGE =
    "Usage: zev-convert [OPTIONS] INPUT.bvh...\n"
    "  -o, --output FILE   output file (only with one input); default: beside each input, its "
    "title + \".pz2\"\n"
    "  --movie             movie mode (default: still mode)\n"
    "  --g N               G coefficient, 1 to 20 (default 10)\n"
    "  --delay N           Delay time, 0 to 10 (default 5)\n"
    "  --inertia N         Inertia rate, 0 to 40 (default 10)\n"
    "  --accel N           Accel rate, 0 to 40 (default 10)\n"
    "  --fusion N          G Fusion, 0 to 99 (default 35)\n"
    "  --no-limit          leave the six chest and head signals unlimited (the dialog always "
    "limits)\n"
    "  --signals FILE      also write the per-frame signals as CSV (only with one input)\n"
    "  --graphs DIR        also draw the three graph pages and the report page as PNG files "
    "into DIR\n"
    "  -h, --help          usage;   --version   the version (\"0.93B\")\n";

struct ConvertOptions {
  EffectParameters parameters;
  std::string outputPath;
  std::string signalsPath;
  std::string graphsDir;
  std::vector<std::string> inputs;
  bool help = false;
  bool version = false;
};

// An option's effect on the settings; returns the problem with its value, if any.
using ApplyOption = std::optional<std::string> (*)(ConvertOptions& options, std::string_view value);

struct OptionRow {
  std::string_view name;
  std::string_view shortName;
  bool takesValue;
  ApplyOption apply;
};

std::optional<std::string> setWholeNumber(int& setting, std::string_view value, int low, int high) {
  int number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size() || number < low || number > high) {
    return "needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
           ", not \"" + std::string(value) + "\"";
  }
  setting = number;
  return std::nullopt;
}

// One row per option; a new option is one more row (and a field in ConvertOptions).
constexpr std::array<OptionRow, 13> OPTION_TABLE{{
    {"--output", "-o", true,
     [](ConvertOptions& o, std::string_view v) -> std::optional<std::string> {
       o.outputPath = v;
       return std::nullopt;
     }},
    {"--movie", "", false,
     [](ConvertOptions& o, std::string_view) -> std::optional<std::string> {
       o.parameters.stillMode = false;
       return std::nullopt;
     }},
    {"--g", "", true,
     [](ConvertOptions& o, std::string_view v) {
       return setWholeNumber(o.parameters.gCoefficient, v, 1, 20);
     }},
    {"--delay", "", true,
     [](ConvertOptions& o, std::string_view v) {
       return setWholeNumber(o.parameters.delayTime, v, 0, 10);
     }},
    {"--inertia", "", true,
     [](ConvertOptions& o, std::string_view v) {
       return setWholeNumber(o.parameters.inertiaRate, v, 0, 40);
     }},
    {"--accel", "", true,
     [](ConvertOptions& o, std::string_view v) {
       return setWholeNumber(o.parameters.accelRate, v, 0, 40);
     }},
    {"--fusion", "", true,
     [](ConvertOptions& o, std::string_view v) {
       return setWholeNumber(o.parameters.gFusion, v, 0, 99);
     }},
    {"--no-limit", "", false,
     [](ConvertOptions& o, std::string_view) -> std::optional<std::string> {
       o.parameters.limitOn = false;
       return std::nullopt;
     }},
    {"--signals", "", true,
     [](ConvertOptions& o, std::string_view v) -> std::optional<std::string> {
       o.signalsPath = v;
       return std::nullopt;
     }},
    {"--graphs", "", true,
     [](ConvertOptions& o, std::string_view v) -> std::optional<std::string> {
       o.graphsDir = v;
       return std::nullopt;
     }},
    {"--help", "-h", false,
     [](ConvertOptions& o, std::string_view) -> std::optional<std::string> {
       o.help = true;
       return std::nullopt;
     }},
    {"--version", "", false,
     [](ConvertOptions& o, std::string_view) -> std::optional<std::string> {
       o.version = true;
       return std::nullopt;
     }},
    {"--", "", false, nullptr},  // the arguments after it are all inputs
}};

const OptionRow* findOption(std::string_view name) {
  for (const OptionRow& row : OPTION_TABLE) {
    if (name == row.name || (!row.shortName.empty() && name == row.shortName)) return &row;
  }
  return nullptr;
}

// Fills options from the arguments; returns the problem when they are not usable.
std::optional<std::string> parseArguments(int argc, char** argv, ConvertOptions& options) {
  bool onlyInputs = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (onlyInputs || argument.size() < 2 || argument[0] != '-') {
      options.inputs.emplace_back(argument);
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    const OptionRow* row = findOption(name);
    if (row == nullptr) return "unknown option \"" + std::string(name) + "\"";
    if (row->apply == nullptr) {
      onlyInputs = true;
      continue;
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      if (!row->takesValue) return "option " + std::string(name) + " takes no value";
      value = argument.substr(equals + 1);
    } else if (row->takesValue) {
      if (i + 1 == argc) return "option " + std::string(name) + " needs a value";
      value = argv[++i];
    }
    if (auto problem = row->apply(options, value))
      return "option " + std::string(name) + " " + *problem;
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

bool convertOne(const std::string& input, const ConvertOptions& options, std::ostream& out,
                std::ostream& err) {
  SilentView view;
  motionStore().frameCount = 0;  // as the dialog's Open does before its pass
  const BvhReadStatus status = AnalysisPass(options.parameters, input.c_str(), view);
  if (status != BvhReadStatus::Ok) {
    err << input << ": " << bvhReadMessage(status) << '\n';
    return false;
  }
  const std::string output =
      options.outputPath.empty() ? defaultOutputPath(input) : options.outputPath;
  if (!savePz2File(output)) {
    err << input << ": " << PZ2_SAVE_ERROR_MESSAGE << '\n';
    return false;
  }
  if (!options.signalsPath.empty() &&
      !saveThroughTemporaryFile(options.signalsPath, writeSignalsCsv)) {
    err << options.signalsPath << ": cannot write the signals file\n";
    return false;
  }
  std::string problem;
  if (!options.graphsDir.empty() &&
      !writePagePictures(options.graphsDir, bvhFileTitleOf(input), options.parameters.stillMode,
                         options.parameters.gCoefficient, &problem)) {
    err << options.graphsDir << ": " << problem << '\n';
    return false;
  }
  const MotionStore& store = motionStore();
  out << input << ": " << store.frameCount << " frames, " << store.frameRate << " fps, "
      << (options.parameters.stillMode ? "still" : "movie") << " mode -> " << output << '\n';
  return true;
}

}  // namespace

int runConvertCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
  ConvertOptions options;
  if (auto problem = parseArguments(argc, argv, options)) {
    err << "zev-convert: " << *problem << '\n' << USAGE;
    return 2;
  }
  if (options.help) {
    out << USAGE;
    return 0;
  }
  if (options.version) {
    out << "zev-convert " << CONVERTER_VERSION << '\n';
    return 0;
  }
  // Drawing the pages needs Qt's application object; only --graphs pays for starting it.
  std::optional<PictureSession> pictures;
  if (!options.graphsDir.empty()) pictures.emplace();
  bool allConverted = true;
  for (const std::string& input : options.inputs) {
    allConverted = convertOne(input, options, out, err) && allConverted;
  }
  return allConverted ? 0 : 1;
}

}  // namespace zev
