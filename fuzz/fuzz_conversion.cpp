// libFuzzer target: the whole conversion as the converter runs it, from memory. The first bytes
// pick the analysis settings, the rest is the BVH file; each input is analysed in still mode and
// then in movie mode, and each result written as a pose file to memory and read back.

#include <cstddef>
#include <cstdint>
#include <string>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "fuzz_support.h"
#include "pz2/pz2_writer.h"
#include "pz2_check.h"
#include "store/motion_store.h"

namespace {

using namespace zev;

constexpr std::size_t SETTINGS_BYTES = 6;

// The dialog's ranges; a settings byte of 0 gives the lowest value. Limit ON unless the last
// byte is odd, as the dialog is nearly always used.
EffectParameters settingsFrom(const std::uint8_t* bytes) {
  EffectParameters parameters;
  parameters.gCoefficient = 1 + bytes[0] % 20;
  parameters.delayTime = bytes[1] % 11;
  parameters.inertiaRate = bytes[2] % 41;
  parameters.accelRate = bytes[3] % 41;
  parameters.gFusion = bytes[4] % 100;
  parameters.limitOn = (bytes[5] & 1) == 0;
  return parameters;
}

constexpr SlotNumber LIMITED_SLOTS[] = {chestUp, chestSide, chestFront,
                                        headUp,  headSide,  headFront};

void checkLimitedSlots() {
  const MotionStore& store = motionStore();
  for (SlotNumber slot : LIMITED_SLOTS) {
    for (int frame = 0; frame < store.frameCount; ++frame) {
      const double value = store.slots[slot][frame];
      if (!(value >= -1.0 && value <= 1.0)) fuzz::violation("limited slot outside [-1, 1]");
    }
  }
}

void checkPoseFile() {
  // Reused across inputs so that writing allocates only while the text grows.
  static std::string text;
  text.clear();
  Pz2MemorySink sink(text);
  writePz2File(sink);
  const std::string problem = fuzz::checkPz2Text(text, motionStore().frameCount);
  if (!problem.empty()) fuzz::violation("pose file: " + problem);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < SETTINGS_BYTES) return 0;
  fuzz::resetStore();
  EffectParameters parameters = settingsFrom(data);
  const char* bvh = reinterpret_cast<const char*>(data + SETTINGS_BYTES);
  const std::size_t bvhSize = size - SETTINGS_BYTES;
  SilentView view;
  for (bool stillMode : {true, false}) {
    parameters.stillMode = stillMode;
    const int frameCountBefore = motionStore().frameCount;
    const BvhReadStatus status = readBvhBuffer(bvh, bvhSize);
    fuzz::checkRead(status, frameCountBefore);
    analyseAfterRead(status, parameters, view);
    if (status != BvhReadStatus::Ok) return 0;
    if (motionStore().frameRate < 12 || motionStore().frameRate > 60) {
      fuzz::violation("frame rate out of range");
    }
    if (parameters.limitOn) checkLimitedSlots();
    checkPoseFile();
  }
  return 0;
}
