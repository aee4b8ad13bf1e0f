#include "conversion.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "analysis/analysis_pass.h"
#include "common/text_sink.h"
#include "pz2/pz2_save.h"
#include "pz2/pz2_writer.h"

namespace zev {

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

Worker::Worker() { pz2.reserve(4 << 20); }

void Worker::convert(const std::string& text, const std::filesystem::path& file) {
  if (!reader.readBytes(text, store->motion).ok()) std::abort();
  analyseMotion(movieMode(), store->motion, store->signals);
  if (!file.empty()) {
    if (!savePz2File(file, *store).ok()) std::abort();
    return;
  }
  pz2.clear();
  StringSink sink(pz2);
  writePz2File(sink, *store);
}

}  // namespace zev
