#pragma once

// How a motion's frame time becomes its frame rate. Everything that rounds a frame rate (the
// reader's check, the analysis, the delay, the report) goes through these.

namespace zev {

inline constexpr int MIN_FRAME_RATE = 12;
inline constexpr int MAX_FRAME_RATE = 60;

// The rate the dynamics are tuned at: the spring steps and gains scale with a motion's frame time
// against it, a delay unit is one of its frames, and the report marks any other rate.
inline constexpr int REFERENCE_FRAME_RATE = 15;
inline constexpr double REFERENCE_FRAME_TIME = 1.0 / REFERENCE_FRAME_RATE;

// 1 ÷ frameTime + 0.5: the frame rate before its fraction is cut off.
inline double frameRateBeforeCut(double frameTime) { return 1.0 / frameTime + 0.5; }

// Whether a motion of that frame time is accepted: its rate rounds to 12 to 60 frames per second.
// A frame time of 0, a negative one and one that is not a number are refused.
inline bool frameRateAccepted(double frameTime) {
  const double rate = frameRateBeforeCut(frameTime);
  return rate >= MIN_FRAME_RATE && rate < MAX_FRAME_RATE + 1;
}

// The whole frames per second of an accepted frame time, rounded to nearest.
inline int frameRateOf(double frameTime) { return static_cast<int>(frameRateBeforeCut(frameTime)); }

}  // namespace zev
