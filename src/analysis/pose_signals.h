#pragma once

#include "store/motion_store.h"

// The first analysis step after a read: per frame, the gravity pull on the chest chain (abdomen,
// chest, hip), the head chain (head, neck and the chest chain) and the hip, the upper body's twist
// and each thigh's bend, written into twelve signal slots.

namespace zev {

// Writes frames 0 to frameCount - 1 of chestUp, chestSide, chestFront, hipUp, twistSum, headUp,
// headSide, headFront, earringSway, earringZrot, rThighBend and lThighBend, and nothing else.
// G scales every gravity component; the twist and thigh slots do not depend on it.
void extractPoseSignals(const Motion& motion, double G, Signals& signals);

}  // namespace zev
