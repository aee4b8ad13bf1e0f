#include "cli/convert_batch.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "common/printable_name.h"
#include "files/file_system.h"
#include "files/safe_save.h"
#include "pages/panel_state.h"
#include "pz2/pz2_save.h"
#include "pz2/pz2_writer.h"
#include "pz2/signals_csv.h"
#include "store/motion_store.h"

namespace zev {

namespace {

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

// "PATH: MESSAGE", then the detail, where there is one, indented on a second line; the names in
// both as printableName shows them, so that the message keeps its two lines.
std::string failureMessage(const std::string& input, std::string_view message,
                           std::string_view detail) {
  std::string text = printableName(input) + ": " + std::string(message) + "\n";
  if (!detail.empty()) text.append("  ").append(printableName(detail)).append("\n");
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

  OutputSet outputs(features.saves);
  const auto add = [&](const std::string& name, SaveWriter write) {
    if (isStandardOutput(name)) {
      outputs.addStream(name == STANDARD_OUTPUT ? std::string(STANDARD_OUTPUT_NAME) : name,
                        standardOutput, std::move(write));
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
    const std::string title = bvhFileTitleOf(input);
    pictures = features.drawPages({.store = store,
                                   .title = title,
                                   .stillMode = options.parameters.stillMode,
                                   .gCoefficient = options.parameters.gCoefficient});
    for (std::size_t page = 0; page < pictures.size(); ++page) {
      const std::string& png = pictures[page];
      if (png.empty()) return saveFailed(plan.pictures[page] + ": the page could not be drawn");
      add(plan.pictures[page], [&png](TextSink& sink) { sink.write(png); });
    }
  }
  const SaveResult saved = outputs.commit();
  if (!saved.ok()) return saveFailed(describeSaveFailure(saved));

  report.status =
      printableName(input) + ": " + std::to_string(store.motion.frameCount) + " frames, " +
      std::to_string(store.signals.frameRate) + " fps, " +
      (options.parameters.stillMode ? "still" : "movie") + " mode -> " +
      (plan.pz2 == STANDARD_OUTPUT ? std::string(STANDARD_OUTPUT_NAME) : printableName(plan.pz2)) +
      "\n";
  if (frames.loop) report.status.append("  ").append(describeLoop(frames).view()).append("\n");
  if (frames.travelEstimated) {
    report.note = printableName(input) + ": note: " + std::string(ESTIMATED_SEAM_NOTE) + "\n";
  }
  report.converted = true;
  return report;
}

}  // namespace

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

}  // namespace zev
