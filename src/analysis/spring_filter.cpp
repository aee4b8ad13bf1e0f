#include "analysis/spring_filter.h"

#include <cmath>

namespace zev {

namespace {

constexpr double KERNEL_SCALE = -0.03333333333333333;  // -1/30
constexpr double AMPLITUDE_SCALE = 0.1;

using KernelArray = std::array<double, KERNEL_LENGTH>;

KernelArray theKernel;

// The sine of each entry's angle, the angle accumulated by adding the step once per entry.
KernelArray kernelSines(double step) {
  KernelArray sines;
  double theta = 0.0;
  for (double& sine : sines) {
    sine = std::sin(theta);
    theta += step;
  }
  return sines;
}

// The sines depend only on the step, so one call computes them once for all its frames; each
// entry is still formed in the same order as if its sine were taken afresh.
void fillKernel(const KernelArray& sines, double amplitude) {
  double weight = KERNEL_LENGTH;
  for (int k = 0; k < KERNEL_LENGTH; ++k) {
    theKernel[k] = ((sines[k] * weight) * amplitude) * KERNEL_SCALE;
    weight -= 1.0;
  }
}

}  // namespace

const KernelArray& springKernel() { return theKernel; }

void buildSpringKernel(double amplitude, double step) { fillKernel(kernelSines(step), amplitude); }

void springFilter(FrameArray& signal, double gain, FilterMode mode, double step) {
  MotionStore& store = motionStore();
  const int n = store.frameCount;
  if (n <= 0) return;
  FrameArray& diff = store.slots[filterDiff];
  FrameArray& sum = store.slots[filterSum];
  for (int k = 0; k < n; ++k) {
    diff[k] = 0.0;
    sum[k] = 0.0;
  }
  for (int k = 0; k + 1 < n; ++k) diff[k] = signal[k + 1] - signal[k];

  const KernelArray sines = kernelSines(step);
  for (int i = 0; i + 2 < n; ++i) {
    // The second difference belongs to frame i + 1, where the kernel's first non-zero entry falls.
    const double amplitude = ((diff[i + 1] - diff[i]) * gain) * AMPLITUDE_SCALE;
    fillKernel(sines, amplitude);
    for (int k = 0; k < KERNEL_LENGTH; ++k) sum[i + k] = sum[i + k] + theKernel[k];
  }

  for (int j = 0; j < n; ++j) signal[j] = mode == FilterMode::Replace ? sum[j] : sum[j] + signal[j];
}

}  // namespace zev
