#pragma once

#include <array>

#include "store/motion_store.h"

// The oscillation a damped spring performs in reaction to a signal's accelerations: every frame's
// second difference excites a 30-frame sine whose amplitude falls linearly to zero and whose sign
// opposes the acceleration; the kernels of all frames are superposed. Works in place on one
// per-frame array, with two caller-owned scratch arrays; allocates nothing.

namespace zev {

inline constexpr int KERNEL_LENGTH = 30;

using SpringKernel = std::array<double, KERNEL_LENGTH>;

enum class FilterMode { Replace, Add };

// Replaces frames 0 to frameCount - 1 of signal by its spring response, or adds the response to
// it. The kernel laid down for frame i + 1 has entry k = ((sin θk × (30 - k)) × amplitude) ×
// (-1/30), θk the step added k times to 0 and amplitude the frame's second difference × gain ×
// 0.1. filterDiff and filterSum are scratch: afterwards frames 0 to frameCount - 1 of filterSum
// hold the response. The kernels of the last frames reach up to index frameCount + 26; those
// entries are added to, never cleared, so they mix the tails of every call and nothing reads them.
void springFilter(FrameArray& signal, int frameCount, double gain, FilterMode mode, double step,
                  FrameArray& filterDiff, FrameArray& filterSum);

}  // namespace zev
