// Timings of a conversion: a 500-frame motion of the full figure (the bundled sample's 77 joints,
// its walk repeated to 500 frames) read from memory, analysed in movie mode and written to a
// memory sink, and each of the three stages alone.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "pz2/pz2_writer.h"

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

void readLongMotion(benchmark::State& state) {
  const std::string& text = longMotion();
  if (readBvhBuffer(text.data(), text.size()) != BvhReadStatus::Ok) {
    state.SkipWithError("the long motion does not read");
  }
}

void BM_Reader(benchmark::State& state) {
  const std::string& text = longMotion();
  for (auto _ : state) benchmark::DoNotOptimize(readBvhBuffer(text.data(), text.size()));
}

void BM_Analysis(benchmark::State& state) {
  SilentView view;
  for (auto _ : state) {
    state.PauseTiming();  // movie mode filters the hip positions in place: start from the file
    readLongMotion(state);
    state.ResumeTiming();
    analyseAfterRead(BvhReadStatus::Ok, movieMode(), view);
  }
}

void BM_Writer(benchmark::State& state) {
  SilentView view;
  readLongMotion(state);
  analyseAfterRead(BvhReadStatus::Ok, movieMode(), view);
  std::string pz2;
  pz2.reserve(4 << 20);
  Pz2MemorySink sink(pz2);
  for (auto _ : state) {
    pz2.clear();
    writePz2File(sink);
    benchmark::DoNotOptimize(pz2.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pz2.size()));
}

void BM_Conversion(benchmark::State& state) {
  const std::string& text = longMotion();
  SilentView view;
  std::string pz2;
  pz2.reserve(4 << 20);
  Pz2MemorySink sink(pz2);
  for (auto _ : state) {
    pz2.clear();
    analyseAfterRead(readBvhBuffer(text.data(), text.size()), movieMode(), view);
    writePz2File(sink);
    benchmark::DoNotOptimize(pz2.data());
  }
}

BENCHMARK(BM_Conversion)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Reader)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Analysis)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Writer)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

}  // namespace
}  // namespace zev
