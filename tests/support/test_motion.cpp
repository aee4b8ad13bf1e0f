#include "support/test_motion.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace zev::test {

namespace {

// Hierarchy order of the test figure; its index + 1 is the JOINT's number on the line.
constexpr std::array<const char*, 11> JOINT_ORDER{"abdomen", "chest",   "neck",   "head",
                                                  "rCollar", "lCollar", "rThigh", "rShin",
                                                  "lThigh",  "lShin",   "lFoot"};

void formatValue(double v, char (&out)[32]) { std::snprintf(out, sizeof out, "%.4f", v); }

}  // namespace

TestMotion::TestMotion(int frames, std::string frameTimeText)
    : frameTimeText_(std::move(frameTimeText)), values_(static_cast<std::size_t>(frames)) {
  for (auto& line : values_) line.fill(0.0);
}

int TestMotion::valueIndex(Track track) {
  if (track == Track::hip) return 3;
  const int entry = 9 - static_cast<int>(track);  // table entry; the test figure keeps its order
  return 3 * (entry + 1) + 3;
}

void TestMotion::setRotation(int frame, Track track, int channel, double degrees) {
  values_[frame][valueIndex(track) + channel - 1] = degrees;
}

void TestMotion::setHipPosition(int frame, int axis, double value) { values_[frame][axis] = value; }

std::string TestMotion::text() const {
  std::string out = "HIERARCHY\nROOT hip\n{\n\tOFFSET 0 0 0\n";
  out += "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Yrotation Xrotation\n";
  for (const char* name : JOINT_ORDER) {
    out += "\tJOINT ";
    out += name;
    out += "\n\t{\n\t\tOFFSET 0 1 0\n\t\tCHANNELS 3 Zrotation Xrotation Yrotation\n\t}\n";
  }
  out += "}\nMOTION\nFrames: " + std::to_string(values_.size()) + "\n";
  out += "Frame Time: " + frameTimeText_ + "\n";
  char number[32];
  for (const auto& line : values_) {
    for (std::size_t i = 0; i < line.size(); ++i) {
      formatValue(line[i], number);
      if (i > 0) out += ' ';
      out += number;
    }
    out += '\n';
  }
  return out;
}

TestMotion movingMotion(int frames, std::string frameTimeText) {
  TestMotion motion(frames, std::move(frameTimeText));
  for (int f = 0; f < frames; ++f) {
    motion.setRotation(f, Track::hip, 1, 2.0 * f);
    motion.setRotation(f, Track::abdomen, 1, (f % 7) * 6.0);
    motion.setRotation(f, Track::chest, 2, (f % 5) * 9.0 - 20.0);
    motion.setRotation(f, Track::neck, 3, f * 1.5);
    motion.setRotation(f, Track::head, 2, (f % 3) * 12.0);
    motion.setRotation(f, Track::rThigh, 1, 40.0 - f);
    motion.setRotation(f, Track::lThigh, 1, f * 2.5);
    motion.setHipPosition(f, 0, (f % 4) * 0.5);
    motion.setHipPosition(f, 1, 30.0 + (f % 6) * 0.8);
    motion.setHipPosition(f, 2, f * 0.3);
  }
  return motion;
}

TestMotion cyclicMotion(int period, int cycles, bool travels, bool closingFrame,
                        std::string frameTimeText) {
  const int frames = period * cycles + (closingFrame ? 1 : 0);
  TestMotion motion(frames, std::move(frameTimeText));
  for (int f = 0; f < frames; ++f) {
    const double phase = 2.0 * std::acos(-1.0) * (f % period) / period;
    // Three harmonics of the cycle, each channel with its own weights and lag.
    const auto wave = [phase](double a, double b, double c, double lag) {
      return a * std::sin(phase + lag) + b * std::sin(2.0 * (phase + lag)) +
             c * std::cos(3.0 * phase + lag);
    };
    motion.setRotation(f, Track::hip, 1, wave(4.0, 1.0, 0.5, 0.3));
    motion.setRotation(f, Track::hip, 2, wave(6.0, 2.0, 0.0, 1.1));
    motion.setRotation(f, Track::hip, 3, wave(8.0, 0.0, 1.5, 2.0));
    motion.setRotation(f, Track::abdomen, 1, wave(5.0, 2.0, 1.0, 0.7));
    motion.setRotation(f, Track::chest, 2, wave(12.0, 4.0, 2.0, 1.9) - 10.0);
    motion.setRotation(f, Track::chest, 3, wave(9.0, 3.0, 0.0, 2.5));
    motion.setRotation(f, Track::neck, 3, wave(6.0, 0.0, 3.0, 0.2));
    motion.setRotation(f, Track::head, 1, wave(7.0, 2.5, 1.0, 1.4));
    motion.setRotation(f, Track::head, 2, wave(10.0, 0.0, 4.0, 2.8));
    motion.setRotation(f, Track::rThigh, 1, wave(-30.0, 5.0, 0.0, 0.0) - 10.0);
    motion.setRotation(f, Track::lThigh, 1, wave(30.0, 5.0, 0.0, 0.0) - 10.0);
    motion.setHipPosition(f, 0, travels ? 0.25 * f : wave(2.0, 0.0, 0.3, 0.5));
    motion.setHipPosition(f, 1, 30.0 + wave(0.0, 0.8, 0.2, 0.9));
    motion.setHipPosition(f, 2, travels ? -0.15 * f : wave(1.5, 0.4, 0.0, 1.7));
  }
  return motion;
}

double asWritten(double v) {
  char number[32];
  formatValue(v, number);
  return std::strtod(number, nullptr);
}

}  // namespace zev::test
