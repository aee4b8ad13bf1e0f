#pragma once

#include <string>
#include <vector>

#include "cli/convert_options.h"

// Which files each input of a run writes, decided for all inputs before any is converted, so that
// the outcome is the same with any number of workers.

namespace zev {

struct OutputPlan {
  std::string pz2;                    // "-": standard output
  std::string signals;                // empty: none; "-": standard output
  std::vector<std::string> pictures;  // in the order of PAGE_PICTURE_NAMES; empty: none
  // When an output would write an input of the run or a file an earlier output writes: that
  // output and what already holds its file, for the message; the input then writes nothing.
  std::string refusal;
};

// Every input's outputs, in input order, with the refusals for outputs that would write an input
// of the run or a file that an earlier output (in input order) writes.
std::vector<OutputPlan> planOutputs(const ConvertOptions& options);

}  // namespace zev
