#pragma once

#include "analysis/movie_frames.h"
#include "analysis/spring_filter.h"
#include "store/motion_store.h"

// Movie mode: the effect signals react to motion. Each signal's own accelerations drive a spring
// (gain from the accel rate), the hip translation's accelerations drive another (gain from the
// inertia rate) that modulates every effect, and a share of the static pull is fused in. Runs once
// per pass, on fresh pose signals: it overwrites its inputs, so a second run would compound.

namespace zev {

// Copies frames 0 to frameCount - 1 of the ten output slots into their base slots.
void saveBaseSlots(int frameCount, Signals& signals);

// Replaces the ten output slots, twistSum and the motion's three hip positions by their dynamic
// versions and writes hairSwing as a quarter of the new headSide, over the frames of frames and
// with its springs running across their seam when they form a ring.
void applyEffectDynamics(double inertiaRate, double accelRate, double gFusion,
                         const MovieFrames& frames, Motion& motion, Signals& signals,
                         FilterWorkspace& workspace);

}  // namespace zev
