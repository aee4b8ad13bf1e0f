#pragma once

#include <array>

#include "store/motion_store.h"

// The two finishing steps on the effect signals: in movie mode the soft parts lag behind the body
// (the chest signals by the full delay, the hair swing by half of it); the limit keeps the chest
// and head signals within -1 to 1.

namespace zev {

// The signals that drive the breast and hair morphs, in the order they are limited; the others
// are never clamped.
inline constexpr std::array<Slot, 6> LIMITED_SLOTS{Slot::chestUp, Slot::chestSide, Slot::chestFront,
                                                   Slot::headUp,  Slot::headSide,  Slot::headFront};

// Delays chestUp, chestSide and chestFront by delayTime units of about a fifteenth of a second
// (the rounded frame rate divided by 15, rounded down) and hairSwing by half as many frames.
// scratch holds a copy of each signal while it shifts. ring: the frames are one cycle of a loop.
void applyDelay(int delayTime, double frameTime, int frameCount, Signals& signals,
                FrameArray& scratch, bool ring = false);

// Shifts frames 0 to frameCount - 1 of signal later by frames; the first frames repeat frame 0 and
// the last ones fall off the end. In a ring the last ones come round to the first instead, as
// often as the shift goes round the cycle. A negative shift leaves it unchanged.
void delaySlot(int frames, FrameArray& signal, int frameCount, FrameArray& scratch,
               bool ring = false);

// Clamps frames 0 to frameCount - 1 to [-1, 1]; a value that is not a number becomes -1.
void limitSlot(FrameArray& signal, int frameCount);

}  // namespace zev
