// Timings of a conversion: a 500-frame motion of the full figure (the bundled sample's 77 joints,
// its walk repeated to 500 frames) read from memory, analysed in movie mode and written to a
// memory sink; each of the three stages alone; and a batch of conversions on one and two threads.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "pz2/pz2_writer.h"
#include "store/motion_store.h"

namespace zev {
namespace {

// The sample's hierarchy with its motion lines repeated up to MAX_FRAMES frames.
const std::string& longMotion() {
  static const std::string text = [] {
    std::ifstream file(ZEV_SAMPLE_BVH, std::ios::binary);
    std::string header;
    std::vector<std::string> motionLines;
    bool inMotion = false;
    for (std::string line; std::getline(file, line);) {
      if (inMotion) {
        motionLines.push_back(line + "\n");
      } else if (line.rfind("Frame Time:", 0) == 0) {
        header += "Frames: " + std::to_string(MAX_FRAMES) + "\n" + line + "\n";
        inMotion = true;
      } else if (line.rfind("Frames:", 0) != 0) {
        header += line + "\n";
      }
    }
    if (motionLines.empty()) {
      std::fprintf(stderr, "cannot read the sample %s\n", ZEV_SAMPLE_BVH);
      std::abort();
    }
    std::string motion = header;
    for (int f = 0; f < MAX_FRAMES; ++f) motion += motionLines[f % motionLines.size()];
    return motion;
  }();
  return text;
}

EffectParameters movieMode() {
  EffectParameters parameters;
  parameters.stillMode = false;
  return parameters;
}

// What a thread needs for its conversions, made once before it starts.
struct Worker {
  BvhReader reader;
  std::unique_ptr<MotionStore> store = std::make_unique<MotionStore>();
  std::string pz2;

  Worker() { pz2.reserve(4 << 20); }

  void convert(const std::string& text) {
    pz2.clear();
    StringSink sink(pz2);
    if (!reader.readBytes(text, store->motion).ok()) std::abort();
    analyseMotion(movieMode(), store->motion, store->signals);
    writePz2File(sink, *store);
    benchmark::DoNotOptimize(pz2.data());
  }
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
  for (auto _ : state) worker.convert(text);
}

// 64 conversions shared among state.range(0) threads, each with its own reader and store, as
// zev-convert -j runs them.
void BM_Batch(benchmark::State& state) {
  constexpr int CONVERSIONS = 64;
  const std::string& text = longMotion();
  const auto threads = static_cast<std::size_t>(state.range(0));
  std::vector<std::unique_ptr<Worker>> workers;
  for (std::size_t i = 0; i < threads; ++i) workers.push_back(std::make_unique<Worker>());
  for (auto _ : state) {
    std::atomic<int> next{0};
    std::vector<std::thread> running;
    for (auto& worker : workers) {
      running.emplace_back([&next, &text, &worker] {
        while (next.fetch_add(1) < CONVERSIONS) worker->convert(text);
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
BENCHMARK(BM_Batch)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace
}  // namespace zev
