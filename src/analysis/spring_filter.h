#pragma once

#include <array>

#include "store/motion_store.h"

// The oscillation a damped spring performs in reaction to a signal's accelerations: every frame's
// second difference excites a 30-frame sine whose amplitude falls linearly to zero and whose sign
// opposes the acceleration; the kernels of all frames are superposed. Works in place on one
// per-frame array, with a caller-owned workspace; allocates nothing.

namespace zev {

inline constexpr int KERNEL_LENGTH = 30;

using SpringKernel = std::array<double, KERNEL_LENGTH>;

// The last kernel is laid down from frame MAX_FRAMES - 3 of an open motion, from the last frame of
// a cycle, and reaches KERNEL_LENGTH - 1 further.
static_assert(MAX_FRAMES - 1 + KERNEL_LENGTH <= FRAME_CAPACITY,
              "the frame arrays hold the kernels of the longest motion");

enum class FilterMode { Replace, Add };

// How a signal's frames end. An open motion's springs are at rest before frame 0, and whatever
// reaches past its last frame is lost. In a ring the frames are one cycle of a motion that plays
// again and again: the frame after the last is the first, moved on by travel (what the signal
// gains per cycle, such as a hip that walks on), and the kernels of the last frames carry on from
// the first.
struct FrameSeam {
  bool ring = false;
  double travel = 0.0;
};

// The filter's scratch, which no later step reads: the first differences of the signal and the
// superposed kernels. Whoever runs the filters owns one and may share it between calls.
struct FilterWorkspace {
  FrameArray filterDiff{};
  FrameArray filterSum{};
};

// Replaces frames 0 to frameCount - 1 of signal by its spring response, or adds the response to
// it. The kernel laid down for frame i + 1 has entry k = ((sin θk × (30 - k)) × amplitude) ×
// (-1/30), θk the step added k times to 0 and amplitude the frame's second difference × gain ×
// 0.1. Afterwards frames 0 to frameCount - 1 of the workspace's filterSum hold the response. The
// kernels of an open motion's last frames reach up to index frameCount + 26; those entries are
// added to, never cleared, so they mix the tails of every call and nothing reads them. A ring
// lays a kernel for every frame, the last two taking their second differences across the seam,
// and folds what runs past the last frame back onto the first, as often as it reaches round.
void springFilter(FrameArray& signal, int frameCount, double gain, FilterMode mode, double step,
                  FilterWorkspace& workspace, const FrameSeam& seam = {});

}  // namespace zev
