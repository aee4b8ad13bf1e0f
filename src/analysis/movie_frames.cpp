#include "analysis/movie_frames.h"

#include <algorithm>
#include <cmath>

namespace zev {

namespace {

constexpr double FULL_TURN = 360.0;

// Whether the last frame is frame 0's pose again: a rotation of 180 degrees and one of -180 are.
bool repeatsFirstFrame(const Motion& motion) {
  const int last = motion.frameCount - 1;
  for (const JointTrack& track : motion.tracks) {
    for (int channel = 0; channel < CHANNELS_PER_JOINT; ++channel) {
      const double turn = std::remainder(track[last][channel] - track[0][channel], FULL_TURN);
      if (!(std::abs(turn) <= CLOSING_FRAME_TOLERANCE)) return false;
    }
  }
  return std::abs(motion.hipYPos[last] - motion.hipYPos[0]) <= CLOSING_FRAME_TOLERANCE;
}

// What a value gains from one cycle to the next, over frames 0 to frameCount - 1 of the motion as
// read (closing frame included).
double travelPerCycle(const FrameArray& values, int frameCount, bool closingFrame,
                      bool& estimated) {
  const int last = frameCount - 1;
  const double gap = values[last] - values[0];
  if (closingFrame) return gap;
  double largestStep = 0.0;
  for (int k = 0; k < last; ++k)
    largestStep = std::max(largestStep, std::abs(values[k + 1] - values[k]));
  if (std::abs(gap) <= IN_PLACE_STEPS * largestStep) return 0.0;
  // A walk's step across the seam is taken to be like the steps on either side of it.
  estimated = true;
  return gap + ((values[1] - values[0]) + (values[last] - values[last - 1])) * 0.5;
}

}  // namespace

MovieFrames openFrames(const Motion& motion) { return {.frameCount = motion.frameCount}; }

MovieFrames findLoopCycle(const Motion& motion, const Signals& signals) {
  const int n = std::min(motion.frameCount, FRAME_CAPACITY);
  MovieFrames frames{.frameCount = n, .loop = true};
  // A value needs two frames to have a step; fewer have nothing to travel.
  if (n < 2) return frames;
  frames.closingFrame = repeatsFirstFrame(motion);
  if (frames.closingFrame) frames.frameCount = n - 1;
  const FrameArray* hip[] = {&motion.hipXPos, &motion.hipYPos, &motion.hipZPos};
  for (std::size_t axis = 0; axis < frames.hipTravel.size(); ++axis) {
    frames.hipTravel[axis] =
        travelPerCycle(*hip[axis], n, frames.closingFrame, frames.travelEstimated);
  }
  frames.twistTravel =
      travelPerCycle(signals[Slot::twistSum], n, frames.closingFrame, frames.travelEstimated);
  return frames;
}

FixedText<64> describeLoop(const MovieFrames& frames) {
  FixedText<64> text;
  if (!frames.loop) return text;
  text.append("loop: ").append(frames.frameCount).append(" frames");
  if (frames.closingFrame) text.append(", the last repeats the first");
  return text;
}

}  // namespace zev
