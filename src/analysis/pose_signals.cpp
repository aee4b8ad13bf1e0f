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

    // A chain's turn takes its channel sums in the order 1, 3, 2.
    const ChainTurn chestTurn(chestSums[0], chestSums[2], chestSums[1]);
    signals[Slot::chestUp][i] = G * chestTurn.up();
    signals[Slot::chestSide][i] = G * chestTurn.side();
    signals[Slot::chestFront][i] = G * chestTurn.front();

    signals[Slot::hipUp][i] = G * ChainTurn(hip[0], hip[2], hip[1]).up();

    signals[Slot::twistSum][i] = headSums[2] * TWIST_SCALE;
    const ChainTurn headTurn(headSums[0], headSums[2], headSums[1]);
    const double front = headTurn.front();
    const double side = headTurn.side();
    signals[Slot::headUp][i] = G * headTurn.up();
    signals[Slot::headSide][i] = G * side;
    signals[Slot::headFront][i] = G * front;
    signals[Slot::earringSway][i] = G * front * EARRING_SCALE;
    signals[Slot::earringZrot][i] = G * side * EARRING_SCALE;

    signals[Slot::rThighBend][i] = motion[Track::rThigh][i][0] * THIGH_SCALE;
    signals[Slot::lThighBend][i] = motion[Track::lThigh][i][0] * THIGH_SCALE;
  }
}

}  // namespace zev
