#include "cli/convert_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <charconv>
#include <condition_variable>
#include <filesystem>
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
#include "common/text_sink.h"
#include "common/version.h"
#include "files/file_system.h"
#include "files/output_claims.h"
#include "files/safe_save.h"
#include "pages/panel_state.h"
#include "pz2/pz2_save.h"
#include "pz2/pz2_writer.h"
#include "pz2/signals_csv.h"
#include "store/frame_rate.h"
#include "store/motion_store.h"

namespace zev {

namespace {

// The output name that stands for standard output, and how messages call it.
constexpr std::string_view STANDARD_OUTPUT = "-";
constexpr std::string_view STANDARD_OUTPUT_NAME = "standard output";
constexpr int MAX_JOBS = 256;

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
  if (features.drawPages) {
    text += usageLine("--graphs DIR",
                      "also draw the three graph pages and the report page as PNG files into DIR");
  }
  if (features.threads) {
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
      "was sent to it; 2 for a usage error (nothing is converted).\n";
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
  std::vector<std::string> ignoredInStillMode;  // movie-only options given without --movie
};

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

// Fills options from the arguments; returns the problem when they are not usable.
std::optional<std::string> parseArguments(int argc, char** argv, ConvertOptions& options) {
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
    if (extra != "--") return "unknown option \"" + extra.substr(0, extra.find('=')) + "\"";
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
  if (options.inputs.empty()) return "no input file";
  if (options.inputs.size() > 1 && !options.outputPath.empty()) {
    return "option --output takes only one input";
  }
  if (options.inputs.size() > 1 && !options.signalsPath.empty()) {
    return "option --signals takes only one input";
  }
  if (options.outputPath == STANDARD_OUTPUT && options.signalsPath == STANDARD_OUTPUT) {
    return "options --output and --signals cannot both write to standard output";
  }
  return std::nullopt;
}

std::string defaultOutputPath(const std::string& input) {
  return input.substr(0, fileNameOffset(input)) + proposedPz2Name(bvhFileTitleOf(input));
}

// What one input writes, decided for all inputs before any is converted.
struct OutputPlan {
  std::string pz2;                    // "-": standard output
  std::string signals;                // empty: none; "-": standard output
  std::vector<std::string> pictures;  // in the order of PAGE_PICTURE_NAMES; empty: none
  // When an output would write an input of the run or a file an earlier output writes: that
  // output and what already holds its file, for the message; the input then writes nothing.
  std::string refusal;
};

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

// Every input's outputs, with the refusals for outputs that would write an input of the run or a
// file that an earlier output (in input order) writes; the same with any number of workers.
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
      if (file.empty() || file == STANDARD_OUTPUT) continue;
      const std::optional<ClaimHolder> holder = claims.claim(pathFromUtf8(file), input);
      if (holder && plan.refusal.empty()) plan.refusal = refusalOf(file, *holder);
    }
    plans.push_back(std::move(plan));
  }
  return plans;
}

// One worker's memory, made once and reused for every input it converts.
struct Converter {
  BvhReader reader;
  std::unique_ptr<MotionStore> store = std::make_unique<MotionStore>();
};

// What converting one input printed, kept until its turn in the input order comes.
struct Report {
  bool converted = false;
  std::string status;   // the lines for a converted input
  std::string failure;  // the message for an input that was not converted
  std::string note;     // advice on a converted input
};

// "PATH: MESSAGE", then the detail, where there is one, indented on a second line.
std::string failureMessage(const std::string& input, std::string_view message,
                           std::string_view detail) {
  std::string text = input + ": " + std::string(message) + "\n";
  if (!detail.empty()) text.append("  ").append(detail).append("\n");
  return text;
}

// Converts one input as if the program had just started: the signals of an earlier input never
// reach this one's files. Its outputs are saved all together or none of them.
Report convertOne(const std::string& input, const OutputPlan& plan, const ConvertOptions& options,
                  const ConverterFeatures& features, Converter& converter,
                  StreamSink& standardOutput) {
  Report report;
  MotionStore& store = *converter.store;
  // Zeroed in place: a store is too large to be built as a temporary on a worker's stack.
  std::construct_at(&store);
  const BvhReadResult read = converter.reader.readFile(pathFromUtf8(input), store.motion);
  if (!read.ok()) {
    report.failure = failureMessage(input, read.message(), describeReadFailure(read).view());
    return report;
  }
  const auto saveFailed = [&](const std::string& detail) {
    report.failure = failureMessage(input, PZ2_SAVE_ERROR_MESSAGE, detail);
    return report;
  };
  if (!plan.refusal.empty()) return saveFailed(plan.refusal);
  const MovieFrames frames = analyseMotion(options.parameters, store.motion, store.signals);

  OutputSet outputs;
  const auto add = [&](const std::string& name, SaveWriter write) {
    if (name == STANDARD_OUTPUT) {
      outputs.addStream(std::string(STANDARD_OUTPUT_NAME), standardOutput, std::move(write));
    } else {
      outputs.addFile(pathFromUtf8(name), std::move(write));
    }
  };
  add(plan.pz2, [&store](TextSink& sink) { writePz2File(sink, store); });
  if (!plan.signals.empty()) {
    add(plan.signals, [&store](TextSink& sink) { writeSignalsCsv(sink, store); });
  }
  PagePictures pictures;
  if (!plan.pictures.empty()) {
    std::error_code made;
    std::filesystem::create_directories(pathFromUtf8(options.graphsDir), made);
    if (made) return saveFailed(options.graphsDir + ": " + made.message());
    pictures = features.drawPages(store, bvhFileTitleOf(input), options.parameters.stillMode,
                                  options.parameters.gCoefficient);
    for (std::size_t page = 0; page < pictures.size(); ++page) {
      const std::string& png = pictures[page];
      if (png.empty()) return saveFailed(plan.pictures[page] + ": the page could not be drawn");
      add(plan.pictures[page], [&png](TextSink& sink) { sink.write(png); });
    }
  }
  const SaveResult saved = outputs.commit();
  if (!saved.ok()) return saveFailed(saved.target + ": " + saved.reason());

  report.status = input + ": " + std::to_string(store.motion.frameCount) + " frames, " +
                  std::to_string(store.signals.frameRate) + " fps, " +
                  (options.parameters.stillMode ? "still" : "movie") + " mode -> " +
                  (plan.pz2 == STANDARD_OUTPUT ? std::string(STANDARD_OUTPUT_NAME) : plan.pz2) +
                  "\n";
  if (frames.loop) report.status.append("  ").append(describeLoop(frames).view()).append("\n");
  if (frames.travelEstimated) {
    report.note = input + ": note: " + std::string(ESTIMATED_SEAM_NOTE) + "\n";
  }
  report.converted = true;
  return report;
}

// Where the reports go: the status lines to standard output, unless it carries a file.
struct ReportStreams {
  StreamSink& standardOutput;
  std::ostream& err;
  bool statusToErr;
};

// Converts every input on up to `jobs` threads and prints each report in input order as soon as
// it and all before it are done. Returns whether every input was converted.
bool convertAll(const ConvertOptions& options, const std::vector<OutputPlan>& plans,
                const ConverterFeatures& features, int jobs, const ReportStreams& streams) {
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
      Report report = convertOne(options.inputs[index], plans[index], options, features, converter,
                                 streams.standardOutput);
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
    if (streams.statusToErr) {
      streams.err << report.status;
    } else {
      streams.standardOutput.write(report.status);
      streams.standardOutput.flush();
    }
    streams.err << report.failure << report.note << std::flush;
    allConverted = allConverted && report.converted;
  }
  for (std::thread& thread : threads) thread.join();
  return allConverted;
}

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
    err << "zev-convert: " << *problem << '\n' << usageText(features);
    return 2;
  }
  StreamSink standardOutput(out);
  if (options.help || options.version) {
    standardOutput.write(options.help ? usageText(features)
                                      : "zev-convert " + std::string(ZEV_VERSION) + "\n");
    return checkedExit(standardOutput, err, 0);
  }
  for (const std::string& option : options.ignoredInStillMode) {
    err << "zev-convert: " << option << " has no effect in still mode\n";
  }
  if (!options.graphsDir.empty() && features.startDrawing) features.startDrawing();
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
