#include "analysis/delay_limit.h"

#include <algorithm>

#include "store/frame_rate.h"

namespace zev {

void applyDelay(int delayTime, double frameTime, int frameCount, Signals& signals,
                FrameArray& scratch, bool ring) {
  // Before any motion is read the frame time is 0, and the unit below would not fit an int.
  if (frameCount <= 0) return;
  const int framesPerUnit = static_cast<int>(frameRateBeforeCut(frameTime) * REFERENCE_FRAME_TIME);
  const int frames = framesPerUnit * delayTime;
  delaySlot(frames, signals[Slot::chestUp], frameCount, scratch, ring);
  delaySlot(frames, signals[Slot::chestSide], frameCount, scratch, ring);
  delaySlot(frames, signals[Slot::chestFront], frameCount, scratch, ring);
  delaySlot(frames / 2, signals[Slot::hairSwing], frameCount, scratch, ring);
}

void delaySlot(int frames, FrameArray& signal, int frameCount, FrameArray& scratch, bool ring) {
  const int n = std::min(frameCount, FRAME_CAPACITY);
  // A negative shift would read the copy beyond the motion's end.
  if (n <= 0 || frames < 0) return;
  std::copy_n(signal.begin(), n, scratch.begin());
  const int shift = ring ? frames % n : frames;
  for (int k = 0; k < n; ++k) {
    const int from = k - shift;
    signal[k] = scratch[from >= 0 ? from : ring ? from + n : 0];
  }
}

void limitSlot(FrameArray& signal, int frameCount) {
  const int n = std::min(frameCount, FRAME_CAPACITY);
  for (int i = 0; i < n; ++i) {
    double& value = signal[i];
    if (value > 1.0) value = 1.0;
    // Asked this way round so that a value that is not a number is clamped too.
    if (!(value >= -1.0)) value = -1.0;
  }
}

}  // namespace zev
