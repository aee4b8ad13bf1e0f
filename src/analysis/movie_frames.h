#pragma once

#include <array>
#include <string_view>

#include "common/fixed_text.h"
#include "store/motion_store.h"

// The frames that the movie-mode steps work on, and how the motion's ends join. An open motion
// starts at rest on frame 0 and loses whatever reaches past its last frame. In loop mode the
// motion is one cycle of a motion that plays again and again (a walk, an idle, a dance), and the
// steps give what the springs settle into once it has played for ever: every step that looks
// across frames treats them as a ring. Angles need nothing for that, as the signals take them
// through their sines and cosines; the values that can move on from cycle to cycle (the hip's
// three positions and the body's twist, a sum of raw angles) continue across the seam by their
// travel per cycle.

namespace zev {

// Two values that differ by no more than this are one and the same pose: degrees for rotations,
// the hip's unit for its height.
inline constexpr double CLOSING_FRAME_TOLERANCE = 0.001;
// A value whose last frame lies within this many of its largest single-frame steps of its first
// stays in place from cycle to cycle (a bob, a sway); farther away it travels.
inline constexpr double IN_PLACE_STEPS = 3.0;

// Said when a value travels and the motion has no closing frame: its travel across the seam is
// then an estimate from its steps next to the seam, and only a closing frame makes it exact.
inline constexpr std::string_view ESTIMATED_SEAM_NOTE =
    "the cycle travels without a closing frame, so its seam is estimated: export the first frame "
    "again as the last for an exact loop";

struct MovieFrames {
  // The frames the steps compute: the motion's, less a closing frame.
  int frameCount = 0;
  // The frames form a ring: the motion was analysed in loop mode.
  bool loop = false;
  // Loop only: the motion's last frame repeats its first pose, so the cycle ends before it and it
  // takes frame 0's results.
  bool closingFrame = false;
  // Loop only: what each value gains per cycle: hipXPos, hipYPos, hipZPos, and twistSum.
  std::array<double, 3> hipTravel{};
  double twistTravel = 0.0;
  // Loop only: some value travels without a closing frame to measure it by.
  bool travelEstimated = false;
};

// The motion's frames as an open motion.
MovieFrames openFrames(const Motion& motion);

// The motion's frames as one cycle of a loop, from the motion as read and the pose signals
// extracted from it (for twistSum). The last frame is a closing frame when each of its rotation
// values, and the hip's height (hipYPos), is within CLOSING_FRAME_TOLERANCE of frame 0's, angles
// compared by their nearest difference on the circle. Each travel per cycle is then the closing
// frame's value less frame 0's. Without one, a value that ends within IN_PLACE_STEPS of its
// largest step of where it started has none, and one that ends farther away travels its gap from
// first to last frame plus the mean of its first and last steps.
MovieFrames findLoopCycle(const Motion& motion, const Signals& signals);

// How a loop pass took the motion, for the user: "loop: 149 frames, the last repeats the first",
// or "loop: 150 frames" without a closing frame. Empty after a pass that was no loop.
FixedText<64> describeLoop(const MovieFrames& frames);

}  // namespace zev
