#pragma once

#include "analysis/effect_parameters.h"
#include "analysis/movie_frames.h"
#include "store/motion_store.h"

// The analysis of a motion that has just been read: pose signals, in movie mode the dynamics and
// the delay, then the limit. It fixes the order of the steps and what each receives; the numerics
// live in the steps themselves. Reading the file and telling the user are the caller's part.

namespace zev {

// Computes the signals of a freshly read motion. In movie mode the hip positions of motion are
// replaced by their spring responses, so a second analysis needs a fresh read. Slots that only a
// movie-mode pass writes keep, after a still-mode pass, what the last movie-mode pass left in
// signals. A loop pass (movie mode with parameters.loop) takes the motion as one cycle; with a
// closing frame, the last frame of every slot and hip position is frame 0's. Returns the frames
// the pass worked on and how it joined them, for the caller to tell the user (describeLoop).
MovieFrames analyseMotion(const EffectParameters& parameters, Motion& motion, Signals& signals);

}  // namespace zev
