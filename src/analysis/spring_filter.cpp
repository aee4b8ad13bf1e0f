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
                  FilterWorkspace& workspace, const FrameSeam& seam) {
  FrameArray& filterDiff = workspace.filterDiff;
  FrameArray& filterSum = workspace.filterSum;
  const int n = std::min(frameCount, FRAME_CAPACITY);
  if (n <= 0) return;
  // A ring folds the entries past its last frame back, so they must start from nothing.
  const int summed = seam.ring ? std::min(n + KERNEL_LENGTH - 1, FRAME_CAPACITY) : n;
  for (int k = 0; k < n; ++k) filterDiff[k] = 0.0;
  for (int k = 0; k < summed; ++k) filterSum[k] = 0.0;
  for (int k = 0; k + 1 < n; ++k) filterDiff[k] = signal[k + 1] - signal[k];
  if (seam.ring) filterDiff[n - 1] = (signal[0] + seam.travel) - signal[n - 1];

  const SpringKernel sines = kernelSines(step);
  SpringKernel kernel;
  const int kernels = seam.ring ? n : n - 2;
  for (int i = 0; i < kernels; ++i) {
    // The second difference belongs to frame i + 1, where the kernel's first non-zero entry falls;
    // in a ring the last two take in the step across the seam.
    const double next = i + 1 < n ? filterDiff[i + 1] : filterDiff[0];
    const double amplitude = ((next - filterDiff[i]) * gain) * AMPLITUDE_SCALE;
    fillKernel(sines, amplitude, kernel);
    // Within the capacity, whatever frame count a caller passes; a motion's tails always fit.
    const int reach = std::min(KERNEL_LENGTH, FRAME_CAPACITY - i);
    for (int k = 0; k < reach; ++k) filterSum[i + k] = filterSum[i + k] + kernel[k];
  }
  // A ring's entries past the last frame fold onto the frames they reach round to; a cycle shorter
  // than a kernel is gone round more than once. An open motion has none to fold.
  for (int j = n; j < summed; ++j) filterSum[j % n] = filterSum[j % n] + filterSum[j];

  for (int j = 0; j < n; ++j) {
    signal[j] = mode == FilterMode::Replace ? filterSum[j] : filterSum[j] + signal[j];
  }
}

}  // namespace zev
