#include "analysis/pose_signals.h"

#include "analysis/angle_rotation.h"
#include "store/motion_store.h"

namespace zev {

namespace {
constexpr double TWIST_SCALE = 0.01;
constexpr double THIGH_SCALE = 0.00909090909090909;  // 1/110: full bend at 110 degrees
constexpr double EARRING_SCALE = 90.0;
}  // namespace

void extractPoseSignals(double G) {
  MotionStore& store = motionStore();
  auto& slot = store.slots;
  for (int i = 0; i < store.frameCount; ++i) {
    const auto& hip = store.tracks[hipTrack][i];
    const auto& abdomen = store.tracks[abdomenTrack][i];
    const auto& chest = store.tracks[chestTrack][i];
    const auto& neck = store.tracks[neckTrack][i];
    const auto& head = store.tracks[headTrack][i];

    double chestSums[CHANNELS_PER_JOINT];
    double headSums[CHANNELS_PER_JOINT];
    for (int k = 0; k < CHANNELS_PER_JOINT; ++k) {
      chestSums[k] = abdomen[k] + chest[k] + hip[k];
      headSums[k] = head[k] + neck[k] + abdomen[k] + chest[k] + hip[k];
    }

    // The rotation helpers take a chain's channel sums in the order 1, 3, 2.
    const double c1 = chestSums[0], c2 = chestSums[1], c3 = chestSums[2];
    slot[chestUp][i] = G * upComponent(c1, c3, c2);
    slot[chestSide][i] = G * sideComponent(c1, c3, c2);
    slot[chestFront][i] = G * frontComponent(c1, c3, c2);

    slot[hipUp][i] = G * upComponent(hip[0], hip[2], hip[1]);

    slot[twistSum][i] = headSums[2] * TWIST_SCALE;
    const double h1 = headSums[0], h2 = headSums[1], h3 = headSums[2];
    const double front = frontComponent(h1, h3, h2);
    const double side = sideComponent(h1, h3, h2);
    slot[headUp][i] = G * upComponent(h1, h3, h2);
    slot[headSide][i] = G * side;
    slot[headFront][i] = G * front;
    slot[earringSway][i] = G * front * EARRING_SCALE;
    slot[earringZrot][i] = G * side * EARRING_SCALE;

    slot[rThighBend][i] = store.tracks[rThighTrack][i][0] * THIGH_SCALE;
    slot[lThighBend][i] = store.tracks[lThighTrack][i][0] * THIGH_SCALE;
  }
}

}  // namespace zev
