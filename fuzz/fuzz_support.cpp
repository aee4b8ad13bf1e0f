#include "fuzz_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "store/frame_rate.h"

namespace zev::fuzz {

void violation(std::string_view what) {
  std::fprintf(stderr, "invariant broken: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

void checkRead(const BvhReadResult& result, const Motion& motion, int frameCountBefore) {
  const int code = static_cast<int>(result.status);
  if (code < static_cast<int>(BvhReadStatus::Ok) ||
      code > static_cast<int>(BvhReadStatus::FrameRange)) {
    violation("status outside the reader's seven");
  }
  if (!result.ok()) {
    if (result.message().empty()) violation("failure without a message");
    if (result.detail.empty()) violation("failure without a detail");
    if (motion.frameCount != frameCountBefore) violation("a failed read changed the frame count");
    return;
  }
  if (motion.frameCount < MIN_FRAMES || motion.frameCount > MAX_FRAMES) {
    violation("frame count out of range after a good read");
  }
  if (!frameRateAccepted(motion.frameTime)) violation("frame rate out of range after a good read");
  for (int frame = 0; frame < motion.frameCount; ++frame) {
    const double positions[] = {motion.hipXPos[frame], motion.hipYPos[frame],
                                motion.hipZPos[frame]};
    for (double value : positions) {
      if (std::isnan(value)) violation("hip position not a number");
    }
    for (const JointTrack& track : motion.tracks) {
      for (double value : track[frame]) {
        if (std::isnan(value)) violation("rotation not a number");
      }
    }
  }
}

}  // namespace zev::fuzz
