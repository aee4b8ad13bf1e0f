#include "cli/convert_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <charconv>
#include <system_error>

#include "bvh/bvh_reader.h"
#include "cli/convert_command.h"
#include "common/printable_name.h"
#include "common/version.h"
#include "files/file_system.h"
#include "store/frame_rate.h"

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

std::optional<std::string> wholeNumber(std::string_view value, int low, int high, int& number) {
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size() || number < low || number > high) {
    return "needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
           ", not \"" + std::string(value) + "\"";
  }
  return std::nullopt;
}

// The parser names the option in these two problems; the rest of its wording speaks to
// programmers.
std::string usageProblem(const CLI::ParseError& error) {
  const std::string text = error.what();
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    const std::size_t flag = text.find(" was given a disallowed flag override");
    if (flag != std::string::npos) return "option --" + text.substr(0, flag) + " takes no value";
    const std::size_t name = text.find(": ");
    if (name != std::string::npos && text.ends_with(" missing")) {
      return "option " + text.substr(0, name) + " needs a value";
    }
  }
  return text;
}

// The arguments as the parser takes them, last first. The parser reads "--output=" as --output
// without a value and takes the next argument for it; split, the empty value counts as given.
std::vector<std::string> parserArguments(int argc, char** argv,
                                         const std::vector<CLI::Option*>& valueOptions) {
  std::vector<std::string> arguments;
  bool onlyInputs = false;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    onlyInputs = onlyInputs || argument == "--";
    const bool emptyValue = !onlyInputs && argument.starts_with("--") && argument.ends_with("=");
    if (emptyValue) argument.pop_back();
    const bool takesValue =
        std::any_of(valueOptions.begin(), valueOptions.end(),
                    [&](CLI::Option* option) { return option->check_name(argument); });
    if (emptyValue && !takesValue) argument.push_back('=');
    arguments.push_back(argument);
    if (emptyValue && takesValue) arguments.emplace_back();
  }
  std::reverse(arguments.begin(), arguments.end());
  return arguments;
}

}  // namespace

bool isStandardOutput(std::string_view name) {
  return name == STANDARD_OUTPUT || (!name.empty() && ownStreamOf(pathFromUtf8(name)) == 1);
}

std::string usageText(bool offersGraphs, bool offersJobs) {
  std::string text = "Usage: zev-convert [OPTIONS] INPUT.bvh...\n";
  text +=
      "Adds secondary motion to BVH motion files that Poser exported and writes each as a PZ2\n"
      "pose file. An input needs " +
      std::to_string(MIN_FRAMES) + " to " + std::to_string(MAX_FRAMES) + " frames at " +
      std::to_string(MIN_FRAME_RATE) + " to " + std::to_string(MAX_FRAME_RATE) +
      " frames per second.\n\n";
  text +=
      usageLine("-o, --output FILE", "the pose file, - for standard output (only with one input);");
  text += usageLine("", "default: beside each input, its title + \".pz2\"");
  text += usageLine("--movie", "movie mode (default: still mode)");
  for (const ParameterRow& row : PARAMETER_TABLE) {
    text += usageLine("--" + std::string(row.option) + " N",
                      std::string(row.label) + ", " + std::to_string(row.range.minimum) + " to " +
                          std::to_string(row.range.maximum) + " (default " +
                          std::to_string(row.range.defaultValue) +
                          (row.movieOnly ? "; movie mode only)" : ")"));
  }
  text +=
      usageLine("--loop", "the motion is one cycle that plays again and again; its springs and");
  text += usageLine("", "delay run on across the seam (movie mode only)");
  text += usageLine("--no-limit",
                    "leave the six chest and head signals unlimited (the dialog always limits)");
  text += usageLine("--signals FILE",
                    "also write the per-frame signals as CSV, - for standard output (only with");
  text += usageLine("", "one input)");
  if (offersGraphs) {
    text += usageLine("--graphs DIR",
                      "also draw the three graph pages and the report page as PNG files into DIR");
  }
  if (offersJobs) {
    text +=
        usageLine("-j, --jobs N", "convert N inputs at a time, 1 to " + std::to_string(MAX_JOBS) +
                                      " (default: the number of processors)");
  }
  text += usageLine("-h, --help",
                    "usage;   --version   the version (\"" + std::string(ZEV_VERSION) + "\")");
  text +=
      "\nThe outputs of an input are written whole and all together, or none of them. No output\n"
      "replaces an input of the run, and of two outputs that are one file only the first is\n"
      "written.\n"
      "Exit status: 0 when every input was converted; 1 when an input was not (its message\n"
      "says why; the other inputs are still converted) or standard output took not all that\n"
      "was sent to it; 2 for a usage error (nothing is converted); 130, 129 or 143 when stopped\n"
      "by SIGINT, SIGHUP or SIGTERM (no input's outputs are then left half written).\n";
  return text;
}

std::optional<std::string> parseArguments(int argc, char** argv, const ConverterFeatures& features,
                                          ConvertOptions& options) {
  CLI::App app;
  app.set_help_flag();  // the usage text is the converter's own
  app.allow_extras();   // unknown options are reported below, in the converter's words
  // Options are "-x" and "--x" on every system: "/x" is a path, also where CLI11 would take it
  // for a Windows-style option.
  app.allow_windows_style_options(false);
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.option_defaults()->disable_flag_override();

  // Numbers are taken as text and checked below, so that every problem with one reads the same.
  std::string jobs;
  std::array<std::string, PARAMETER_TABLE.size()> parameters;
  const std::array<CLI::Option*, 3> pathOptions{app.add_option("-o,--output", options.outputPath),
                                                app.add_option("--signals", options.signalsPath),
                                                app.add_option("--graphs", options.graphsDir)};
  CLI::Option* jobsOption = app.add_option("-j,--jobs", jobs);
  std::array<CLI::Option*, PARAMETER_TABLE.size()> parameterOptions;
  for (std::size_t i = 0; i < PARAMETER_TABLE.size(); ++i) {
    parameterOptions[i] =
        app.add_option("--" + std::string(PARAMETER_TABLE[i].option), parameters[i]);
  }
  bool movie = false;
  bool noLimit = false;
  app.add_flag("--movie", movie);
  CLI::Option* loopOption = app.add_flag("--loop", options.parameters.loop);
  app.add_flag("--no-limit", noLimit);
  app.add_flag("-h,--help", options.help);
  app.add_flag("--version", options.version);
  app.add_option("inputs", options.inputs);

  std::vector<CLI::Option*> valueOptions(pathOptions.begin(), pathOptions.end());
  valueOptions.push_back(jobsOption);
  valueOptions.insert(valueOptions.end(), parameterOptions.begin(), parameterOptions.end());
  try {
    app.parse(parserArguments(argc, argv, valueOptions));
  } catch (const CLI::ParseError& error) {
    return usageProblem(error);
  }
  for (const std::string& extra : app.remaining()) {
    if (extra != "--") {
      return "unknown option \"" + printableName(extra.substr(0, extra.find('='))) + "\"";
    }
  }
  for (const CLI::Option* option : pathOptions) {
    if (option->count() > 0 && option->as<std::string>().empty()) {
      return "option " + option->get_name() + " needs a path, not \"\"";
    }
  }
  for (std::size_t i = 0; i < PARAMETER_TABLE.size(); ++i) {
    const ParameterRow& row = PARAMETER_TABLE[i];
    if (parameterOptions[i]->count() == 0) continue;
    if (auto problem = wholeNumber(parameters[i], row.range.minimum, row.range.maximum,
                                   options.parameters.*row.field)) {
      return "option --" + std::string(row.option) + " " + *problem;
    }
    if (row.movieOnly && !movie) {
      options.ignoredInStillMode.push_back("--" + std::string(row.option));
    }
  }
  if (loopOption->count() > 0 && !movie) options.ignoredInStillMode.push_back("--loop");
  if (jobsOption->count() > 0) {
    if (auto problem = wholeNumber(jobs, 1, MAX_JOBS, options.jobs)) {
      return "option --jobs " + *problem;
    }
  }
  options.parameters.stillMode = !movie;
  options.parameters.limitOn = !noLimit;

  if (options.help || options.version) return std::nullopt;
  if (features.inputsMatching) {
    std::vector<std::string> inputs;
    for (const std::string& input : options.inputs) {
      for (std::string& match : features.inputsMatching(input)) inputs.push_back(std::move(match));
    }
    options.inputs = std::move(inputs);
  }
  if (options.inputs.empty()) return "no input file";
  if (options.inputs.size() > 1 && !options.outputPath.empty()) {
    return "option --output takes only one input";
  }
  if (options.inputs.size() > 1 && !options.signalsPath.empty()) {
    return "option --signals takes only one input";
  }
  if (isStandardOutput(options.outputPath) && isStandardOutput(options.signalsPath)) {
    return "options --output and --signals cannot both write to standard output";
  }
  return std::nullopt;
}

}  // namespace zev
