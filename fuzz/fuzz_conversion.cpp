// libFuzzer target: the whole conversion as the converter runs it, from memory. The first bytes
// pick the analysis settings, the rest is the BVH file; each input is analysed in still mode and
// then in movie mode, and each result written as a pose file to memory and read back.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "analysis/analysis_pass.h"
#include "analysis/delay_limit.h"
#include "analysis/effect_parameters.h"
#include "bvh/bvh_reader.h"
#include "fuzz_support.h"
#include "pz2/pz2_writer.h"
#include "pz2_check.h"
#include "store/frame_rate.h"
#include "store/motion_store.h"

namespace {

using namespace zev;

// One byte per parameter, then the limit's and loop mode's.
constexpr std::size_t SETTINGS_BYTES = PARAMETER_TABLE.size() + 1;

// The dialog's ranges; a settings byte of 0 gives the lowest value. Limit ON unless the last
// byte is odd, as the dialog is nearly always used; its next bit asks for loop mode.
EffectParameters settingsFrom(const std::uint8_t* bytes) {
  EffectParameters parameters;
  for (std::size_t i = 0; i < PARAMETER_TABLE.size(); ++i) {
    const ParameterRange& range = PARAMETER_TABLE[i].range;
    parameters.*PARAMETER_TABLE[i].field =
        range.minimum + bytes[i] % (range.maximum - range.minimum + 1);
  }
  parameters.limitOn = (bytes[PARAMETER_TABLE.size()] & 1) == 0;
  parameters.loop = (bytes[PARAMETER_TABLE.size()] & 2) != 0;
  return parameters;
}

void checkLimitedSlots(const MotionStore& store) {
  for (Slot slot : LIMITED_SLOTS) {
    for (int frame = 0; frame < store.motion.frameCount; ++frame) {
      const double value = store.signals[slot][frame];
      if (!(value >= -1.0 && value <= 1.0)) fuzz::violation("limited slot outside [-1, 1]");
    }
  }
}

// What one fuzzing process reuses from input to input: made once, so that an input costs no
// allocation beyond the pose text's growth.
struct Workspace {
  BvhReader reader;
  std::unique_ptr<MotionStore> store;
  std::string text;
};

void checkPoseFile(Workspace& work) {
  work.text.clear();
  StringSink sink(work.text);
  writePz2File(sink, *work.store);
  const std::string problem = fuzz::checkPz2Text(work.text, work.store->motion.frameCount);
  if (!problem.empty()) fuzz::violation("pose file: " + problem);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Workspace work{BvhReader(), nullptr, {}};
  if (size < SETTINGS_BYTES) return 0;
  // A fresh store for every input, so that a finding reproduces from its file alone.
  work.store = std::make_unique<MotionStore>();
  MotionStore& store = *work.store;
  EffectParameters parameters = settingsFrom(data);
  const std::string_view bvh(reinterpret_cast<const char*>(data + SETTINGS_BYTES),
                             size - SETTINGS_BYTES);
  for (bool stillMode : {true, false}) {
    parameters.stillMode = stillMode;
    const int frameCountBefore = store.motion.frameCount;
    const BvhReadResult read = work.reader.readBytes(bvh, store.motion);
    fuzz::checkRead(read, store.motion, frameCountBefore);
    if (!read.ok()) return 0;
    analyseMotion(parameters, store.motion, store.signals);
    const int rate = store.signals.frameRate;
    if (rate < MIN_FRAME_RATE || rate > MAX_FRAME_RATE) fuzz::violation("frame rate out of range");
    if (parameters.limitOn) checkLimitedSlots(store);
    checkPoseFile(work);
  }
  return 0;
}
