// Timings of a conversion: a 500-frame motion of the full figure (the bundled sample's 77 joints,
// its walk repeated to 500 frames) read from memory, analysed in movie mode and written to a
// memory sink; each of the three stages alone; the bytes it moves alone, the floor any conversion
// stands on; and a batch of conversions on one and two threads, into memory and saved as files.
// The files go to a folder under the system's temporary folder (TMPDIR), which should be on a
// disk, not in memory, for the save's cost to show.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "conversion.h"
#include "pz2/pz2_writer.h"
#include "store/motion_store.h"

namespace zev {
namespace {

// A folder of the benchmark's own for the saved pose files, removed at the end.
class SaveFolder {
 public:
  SaveFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("zev-bench-" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directory(path_);
  }
  ~SaveFolder() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void BM_Reader(benchmark::State& state) {
  const std::string& text = longMotion();
  Worker worker;
  for (auto _ : state)
    benchmark::DoNotOptimize(worker.reader.readBytes(text, worker.store->motion));
}

void analyseRepeatedly(benchmark::State& state, const EffectParameters& parameters) {
  Worker worker;
  MotionStore& store = *worker.store;
  for (auto _ : state) {
    state.PauseTiming();  // movie mode filters the hip positions in place: start from the file
    worker.reader.readBytes(longMotion(), store.motion);
    state.ResumeTiming();
    analyseMotion(parameters, store.motion, store.signals);
  }
}

void BM_Analysis(benchmark::State& state) { analyseRepeatedly(state, movieMode()); }

// The springs and the delay run round the cycle, and the cycle's ends are looked at first.
void BM_LoopAnalysis(benchmark::State& state) {
  EffectParameters parameters = movieMode();
  parameters.loop = true;
  analyseRepeatedly(state, parameters);
}

void BM_Writer(benchmark::State& state) {
  Worker worker;
  worker.convert(longMotion());
  StringSink sink(worker.pz2);
  for (auto _ : state) {
    worker.pz2.clear();
    writePz2File(sink, *worker.store);
    benchmark::DoNotOptimize(worker.pz2.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * worker.pz2.size()));
}

void BM_Conversion(benchmark::State& state) {
  const std::string& text = longMotion();
  Worker worker;
  for (auto _ : state) {
    worker.convert(text);
    benchmark::DoNotOptimize(worker.pz2.data());
  }
}

// What any conversion in memory costs at least: the input's bytes read once and the pose file's
// bytes written once to a memory sink, as BM_Conversion moves them.
void BM_Floor(benchmark::State& state) {
  const std::string& text = longMotion();
  Worker worker;
  worker.convert(text);
  const std::string output = worker.pz2;
  std::string input(text.size(), '\0');
  StringSink sink(worker.pz2);
  for (auto _ : state) {
    std::memcpy(input.data(), text.data(), text.size());
    benchmark::DoNotOptimize(input.data());
    worker.pz2.clear();
    sink.write(output);
    benchmark::DoNotOptimize(worker.pz2.data());
    benchmark::ClobberMemory();
  }
}

// 64 conversions shared among state.range(0) threads, each with its own reader and store, as
// zev-convert -j runs them; with state.range(1) each saved as a pose file, as zev-convert saves
// it, over the file of the round before.
void BM_Batch(benchmark::State& state) {
  constexpr int CONVERSIONS = 64;
  const std::string& text = longMotion();
  const auto threads = static_cast<std::size_t>(state.range(0));
  const SaveFolder folder;
  std::vector<std::filesystem::path> files(CONVERSIONS);
  if (state.range(1) != 0) {
    for (int n = 0; n < CONVERSIONS; ++n) {
      files[n] = folder.path() / ("take-" + std::to_string(n) + ".pz2");
    }
  }
  std::vector<std::unique_ptr<Worker>> workers;
  for (std::size_t i = 0; i < threads; ++i) workers.push_back(std::make_unique<Worker>());
  for (auto _ : state) {
    std::atomic<int> next{0};
    std::vector<std::thread> running;
    for (auto& worker : workers) {
      running.emplace_back([&next, &text, &worker, &files] {
        for (int n; (n = next.fetch_add(1)) < CONVERSIONS;) {
          worker->convert(text, files[n]);
          benchmark::DoNotOptimize(worker->pz2.data());
        }
      });
    }
    for (std::thread& thread : running) thread.join();
  }
  state.SetItemsProcessed(state.iterations() * CONVERSIONS);
}

BENCHMARK(BM_Conversion)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Reader)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Analysis)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_LoopAnalysis)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Writer)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Batch)
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace
}  // namespace zev
