#include "fuzz_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "store/motion_store.h"

namespace zev::fuzz {

namespace {
const MotionStore ZERO_STORE{};
}  // namespace

void resetStore() { motionStore() = ZERO_STORE; }

void violation(std::string_view what) {
  std::fprintf(stderr, "invariant broken: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

void checkRead(BvhReadStatus status, int frameCountBefore) {
  const int code = static_cast<int>(status);
  if (code < static_cast<int>(BvhReadStatus::Ok) ||
      code > static_cast<int>(BvhReadStatus::FrameRange)) {
    violation("status outside the reader's seven");
  }
  const MotionStore& store = motionStore();
  if (status != BvhReadStatus::Ok) {
    if (bvhReadMessage(status).empty()) violation("failure without a message");
    const int expected = status == BvhReadStatus::FrameRange ? 0 : frameCountBefore;
    if (store.frameCount != expected) violation("a failed read changed the frame count");
    return;
  }
  if (store.frameCount < MIN_FRAMES || store.frameCount > MAX_FRAMES) {
    violation("frame count out of range after a good read");
  }
  const double rate = 1.0 / store.frameTime + 0.5;
  if (!(rate >= 12.0 && rate < 61.0)) violation("frame rate out of range after a good read");
  for (int frame = 0; frame < store.frameCount; ++frame) {
    const double positions[] = {store.hipXPos[frame], store.hipYPos[frame], store.hipZPos[frame]};
    for (double value : positions) {
      if (std::isnan(value)) violation("hip position not a number");
    }
    for (const JointTrack& track : store.tracks) {
      for (double value : track[frame]) {
        if (std::isnan(value)) violation("rotation not a number");
      }
    }
  }
}

}  // namespace zev::fuzz
