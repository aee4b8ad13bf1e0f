#include "analysis/spring_filter.h"

#include <algorithm>
#include <cmath>

namespace zev {

namespace {

constexpr double KERNEL_SCALE = -0.03333333333333333;  // -1/30
constexpr double AMPLITUDE_SCALE = 0.1;

// The sine of each entry's angle, the angle accumulated by adding the step once per entry.
SpringKernel kernelSines(double step) {
  SpringKernel sines;
  double theta = 0.0;
  for (double& sine : sines) {
    sine = std::sin(theta);
    theta += step;
  }
  return sines;
}

// The sines depend only on the step, so one call computes them once for all its frames; each
// entry is still formed in the same order as if its sine were taken afresh.
void fillKernel(const SpringKernel& sines, double amplitude, SpringKernel& kernel) {
  double weight = KERNEL_LENGTH;
  for (int k = 0; k < KERNEL_LENGTH; ++k) {
    kernel[k] = ((sines[k] * weight) * amplitude) * KERNEL_SCALE;
    weight -= 1.0;
  }
}

}  // namespace

void springFilter(FrameArray& signal, int frameCount, double gain, FilterMode mode, double step,
                  FilterWorkspace& workspace) {
  FrameArray& filterDiff = workspace.filterDiff;
  FrameArray& filterSum = workspace.filterSum;
  const int n = std::min(frameCount, FRAME_CAPACITY);
  if (n <= 0) return;
  for (int k = 0; k < n; ++k) {
    filterDiff[k] = 0.0;
    filterSum[k] = 0.0;
  }
  for (int k = 0; k + 1 < n; ++k) filterDiff[k] = signal[k + 1] - signal[k];

  const SpringKernel sines = kernelSines(step);
  SpringKernel kernel;
  for (int i = 0; i + 2 < n; ++i) {
    // The second difference belongs to frame i + 1, where the kernel's first non-zero entry falls.
    const double amplitude = ((filterDiff[i + 1] - filterDiff[i]) * gain) * AMPLITUDE_SCALE;
    fillKernel(sines, amplitude, kernel);
    // Within the capacity, whatever frame count a caller passes; a motion's tails always fit.
    const int reach = std::min(KERNEL_LENGTH, FRAME_CAPACITY - i);
    for (int k = 0; k < reach; ++k) filterSum[i + k] = filterSum[i + k] + kernel[k];
  }

  for (int j = 0; j < n; ++j) {
    signal[j] = mode == FilterMode::Replace ? filterSum[j] : filterSum[j] + signal[j];
  }
}

}  // namespace zev
