#include "analysis/spring_filter.h"

#include <algorithm>
#include <cmath>

namespace zev {

namespace {

constexpr double KERNEL_SCALE = -0.03333333333333333;  // -1/30
constexpr double AMPLITUDE_SCALE = 0.1;

// Each kernel entry is (sine × weight) × amplitude × -1/30, with the sine of the step added k times
// to 0 and the weight 30 - k. The first product depends only on the step, so one call forms it once
// for all its frames; each frame's entries are then formed from it in the same order as afresh.
SpringKernel kernelShape(double step) {
  SpringKernel shape;
  double theta = 0.0;
  double weight = KERNEL_LENGTH;
  for (double& entry : shape) {
    entry = std::sin(theta) * weight;
    theta += step;
    weight -= 1.0;
  }
  return shape;
}

// Adds the first count entries of one frame's kernel to sum.
void addKernel(const SpringKernel& shape, double amplitude, double* sum, int count) {
  for (int k = 0; k < count; ++k) sum[k] = sum[k] + (shape[k] * amplitude) * KERNEL_SCALE;
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

  const SpringKernel shape = kernelShape(step);
  const int kernels = seam.ring ? n : n - 2;
  for (int i = 0; i < kernels; ++i) {
    // The second difference belongs to frame i + 1, where the kernel's first non-zero entry falls;
    // in a ring the last two take in the step across the seam.
    const double next = i + 1 < n ? filterDiff[i + 1] : filterDiff[0];
    const double amplitude = ((next - filterDiff[i]) * gain) * AMPLITUDE_SCALE;
    // Within the capacity, whatever frame count a caller passes; a motion's tails always fit, and
    // their kernels are added whole, in a loop of known length that the compiler can widen.
    if (i + KERNEL_LENGTH <= FRAME_CAPACITY) {
      addKernel(shape, amplitude, &filterSum[i], KERNEL_LENGTH);
    } else {
      addKernel(shape, amplitude, &filterSum[i], FRAME_CAPACITY - i);
    }
  }
  // A ring's entries past the last frame fold onto the frames they reach round to; a cycle shorter
  // than a kernel is gone round more than once. An open motion has none to fold.
  for (int j = n; j < summed; ++j) filterSum[j % n] = filterSum[j % n] + filterSum[j];

  for (int j = 0; j < n; ++j) {
    signal[j] = mode == FilterMode::Replace ? filterSum[j] : filterSum[j] + signal[j];
  }
}

}  // namespace zev
