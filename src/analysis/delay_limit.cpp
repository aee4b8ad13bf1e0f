#include "analysis/delay_limit.h"

#include <algorithm>

namespace zev {

namespace {
constexpr double ONE_15TH = 0.06666666666666667;
}  // namespace

void applyDelay(int delayTime) {
  MotionStore& store = motionStore();
  // Before any motion is read the frame time is 0, and the unit below would not fit an int.
  if (store.frameCount <= 0) return;
  const int framesPerUnit = static_cast<int>(((1.0 / store.frameTime) + 0.5) * ONE_15TH);
  const int frames = framesPerUnit * delayTime;
  delaySlot(frames, store.slots[chestUp]);
  delaySlot(frames, store.slots[chestSide]);
  delaySlot(frames, store.slots[chestFront]);
  delaySlot(frames / 2, store.slots[hairSwing]);
}

void delaySlot(int frames, FrameArray& signal) {
  MotionStore& store = motionStore();
  const int n = store.frameCount;
  // A negative shift would read the copy beyond the motion's end.
  if (n <= 0 || frames < 0) return;
  FrameArray& copy = store.slots[filterSum];
  std::copy_n(signal.begin(), n, copy.begin());
  std::fill_n(signal.begin(), std::min(frames, n), copy[0]);
  for (int k = frames; k < n; ++k) signal[k] = copy[k - frames];
}

void limitSlot(FrameArray& signal) {
  const int n = motionStore().frameCount;
  for (int i = 0; i < n; ++i) {
    double& value = signal[i];
    if (value > 1.0) value = 1.0;
    // Asked this way round so that a value that is not a number is clamped too.
    if (!(value >= -1.0)) value = -1.0;
  }
}

}  // namespace zev
