#pragma once

#include <ostream>
#include <vector>

#include "cli/convert_command.h"
#include "cli/convert_options.h"
#include "cli/output_plan.h"
#include "common/text_sink.h"

// The conversion of every input of a run on a pool of workers, each with its own reader and
// store, and their reports in input order.

namespace zev {

// Where the reports go: the status lines to standard output, unless it carries a file.
struct ReportStreams {
  StreamSink& standardOutput;
  std::ostream& err;
  bool statusToErr;
};

// Converts every input on up to `jobs` threads and prints each report in input order as soon as
// it and all before it are done. Returns whether every input was converted.
bool convertAll(const ConvertOptions& options, const std::vector<OutputPlan>& plans,
                const ConverterFeatures& features, int jobs, const ReportStreams& streams);

}  // namespace zev
