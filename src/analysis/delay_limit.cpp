#include "analysis/delay_limit.h"

#include <algorithm>

#include "store/frame_rate.h"

namespace zev {

namespace {
constexpr double ONE_15TH = 0.06666666666666667;
}  // namespace

void applyDelay(int delayTime, double frameTime, int frameCount, Signals& signals) {
  // Before any motion is read the frame time is 0, and the unit below would not fit an int.
  if (frameCount <= 0) return;
  const int framesPerUnit = static_cast<int>(frameRateBeforeCut(frameTime) * ONE_15TH);
  const int frames = framesPerUnit * delayTime;
  FrameArray& scratch = signals[Slot::filterSum];
  delaySlot(frames, signals[Slot::chestUp], frameCount, scratch);
  delaySlot(frames, signals[Slot::chestSide], frameCount, scratch);
  delaySlot(frames, signals[Slot::chestFront], frameCount, scratch);
  delaySlot(frames / 2, signals[Slot::hairSwing], frameCount, scratch);
}

void delaySlot(int frames, FrameArray& signal, int frameCount, FrameArray& filterSum) {
  const int n = std::min(frameCount, FRAME_CAPACITY);
  // A negative shift would read the copy beyond the motion's end.
  if (n <= 0 || frames < 0) return;
  std::copy_n(signal.begin(), n, filterSum.begin());
  std::fill_n(signal.begin(), std::min(frames, n), filterSum[0]);
  for (int k = frames; k < n; ++k) signal[k] = filterSum[k - frames];
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
