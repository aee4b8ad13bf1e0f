#pragma once

#include <array>
#include <string>
#include <vector>

#include "store/motion_store.h"

// Small BVH files in the layout of a Poser export, written by the tests themselves: ROOT hip with
// six channels, the ten table joints in the reader's order, and one further joint (lFoot) so that
// every motion line carries a value after lShin's third one.

namespace zev::test {

class TestMotion {
 public:
  static constexpr int VALUES_PER_LINE = 6 + 3 * 11;

  TestMotion(int frames, std::string frameTimeText = "0.033333");

  // Rotation channel 1 to 3 of one of the eleven tracks, in degrees.
  void setRotation(int frame, Track track, int channel, double degrees);
  // Hip position channel 0 (x), 1 (y) or 2 (z).
  void setHipPosition(int frame, int axis, double value);

  // Index of a track's channel 1 on a motion line.
  static int valueIndex(Track track);

  // The whole file; values are written with four decimals so that they read back exactly as
  // the same text would through strtod.
  std::string text() const;

  int frames() const { return static_cast<int>(values_.size()); }
  double value(int frame, int index) const { return values_[frame][index]; }

 private:
  std::string frameTimeText_;
  std::vector<std::array<double, VALUES_PER_LINE>> values_;
};

// A figure that bends, sways, twists and walks, so that every signal moves, with a bend large
// enough to need the limit.
TestMotion movingMotion(int frames, std::string frameTimeText = "0.033333");

// One cycle of period frames played cycles times: rotations that are sums of several harmonics of
// the cycle, and a hip that bobs. When travels, the hip walks on at a steady speed on its other two
// axes; otherwise it sways there. closingFrame adds a last frame that repeats the first pose, the
// hip walked on by one more cycle.
TestMotion cyclicMotion(int period, int cycles, bool travels, bool closingFrame,
                        std::string frameTimeText = "0.033333");

// The value a four-decimal text of v reads back as.
double asWritten(double v);

}  // namespace zev::test
