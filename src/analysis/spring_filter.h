#pragma once

#include <array>

#include "store/motion_store.h"

// The oscillation a damped spring performs in reaction to a signal's accelerations: every frame's
// second difference excites a 30-frame sine whose amplitude falls linearly to zero and whose sign
// opposes the acceleration; the kernels of all frames are superposed. Works in place on one
// per-frame array, with the store's filterDiff and filterSum as scratch; allocates nothing.

namespace zev {

inline constexpr int KERNEL_LENGTH = 30;

enum class FilterMode { Replace = 0, Add = 1 };

// The kernel the filter lays down last; rebuilt by every call of buildSpringKernel.
const std::array<double, KERNEL_LENGTH>& springKernel();

// Entry k = ((sin θk × (30 - k)) × amplitude) × (-1/30), θk the step added k times to 0.
void buildSpringKernel(double amplitude, double step);

// Replaces frames 0 to frameCount - 1 of signal by its spring response, or adds the response to it.
// filterSum holds the response afterwards, up to index frameCount + 26; nothing reads beyond
// frameCount - 1.
void springFilter(FrameArray& signal, double gain, FilterMode mode, double step);

}  // namespace zev
