#include "analysis/pose_signals.h"

#include "analysis/angle_rotation.h"

namespace zev {

namespace {
constexpr double TWIST_SCALE = 0.01;
constexpr double THIGH_SCALE = 0.00909090909090909;  // 1/110: full bend at 110 degrees
constexpr double EARRING_SCALE = 90.0;
}  // namespace

void extractPoseSignals(const Motion& motion, double G, Signals& signals) {
  for (int i = 0; i < motion.frameCount; ++i) {
    const auto& hip = motion[Track::hip][i];
    const auto& abdomen = motion[Track::abdomen][i];
    const auto& chest = motion[Track::chest][i];
    const auto& neck = motion[Track::neck][i];
    const auto& head = motion[Track::head][i];

    double chestSums[CHANNELS_PER_JOINT];
    double headSums[CHANNELS_PER_JOINT];
    for (int k = 0; k < CHANNELS_PER_JOINT; ++k) {
      chestSums[k] = abdomen[k] + chest[k] + hip[k];
      headSums[k] = head[k] + neck[k] + abdomen[k] + chest[k] + hip[k];
    }

    // The rotation helpers take a chain's channel sums in the order 1, 3, 2.
    const double c1 = chestSums[0], c2 = chestSums[1], c3 = chestSums[2];
    signals[Slot::chestUp][i] = G * upComponent(c1, c3, c2);
    signals[Slot::chestSide][i] = G * sideComponent(c1, c3, c2);
    signals[Slot::chestFront][i] = G * frontComponent(c1, c3, c2);

    signals[Slot::hipUp][i] = G * upComponent(hip[0], hip[2], hip[1]);

    signals[Slot::twistSum][i] = headSums[2] * TWIST_SCALE;
    const double h1 = headSums[0], h2 = headSums[1], h3 = headSums[2];
    const double front = frontComponent(h1, h3, h2);
    const double side = sideComponent(h1, h3, h2);
    signals[Slot::headUp][i] = G * upComponent(h1, h3, h2);
    signals[Slot::headSide][i] = G * side;
    signals[Slot::headFront][i] = G * front;
    signals[Slot::earringSway][i] = G * front * EARRING_SCALE;
    signals[Slot::earringZrot][i] = G * side * EARRING_SCALE;

    signals[Slot::rThighBend][i] = motion[Track::rThigh][i][0] * THIGH_SCALE;
    signals[Slot::lThighBend][i] = motion[Track::lThigh][i][0] * THIGH_SCALE;
  }
}

}  // namespace zev
