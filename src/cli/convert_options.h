#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/effect_parameters.h"

// What a zev-convert command line asks for, read and checked before anything is converted, and
// the usage text that explains it.

namespace zev {

// The output name that stands for standard output, and how messages call it.
inline constexpr std::string_view STANDARD_OUTPUT = "-";
inline constexpr std::string_view STANDARD_OUTPUT_NAME = "standard output";
inline constexpr int MAX_JOBS = 256;

struct ConverterFeatures;

// Whether an output goes to standard output: "-", or a name of it such as /dev/stdout (CON on
// Windows), which is written into as "-" is and never replaced.
bool isStandardOutput(std::string_view name);

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

// Fills options from the arguments, with the inputs' wildcards expanded where the build's features
// expand them; returns the problem, in the converter's words, when they are not usable.
std::optional<std::string> parseArguments(int argc, char** argv, const ConverterFeatures& features,
                                          ConvertOptions& options);

// The usage text; --graphs and -j are explained only where the build offers them.
std::string usageText(bool offersGraphs, bool offersJobs);

}  // namespace zev
