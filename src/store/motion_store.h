#pragma once

#include <array>
#include <cstddef>

// The one motion that a session works on and everything derived from it. Plain data of fixed
// capacity: every per-frame array has room for FRAME_CAPACITY frames, nothing is allocated while a
// session runs, and each step overwrites only frames 0 to frameCount - 1 of what it writes. Frames
// beyond frameCount keep whatever an earlier, longer motion left there; nothing reads them.
//
// Whoever runs a session (the dialog, one converter worker) owns one MotionStore, zeroed when it
// is made, and passes it to each step; what it holds between passes is that session's affair.

namespace zev {

// The frame counts a motion may have: the reader refuses others, the report page states them.
inline constexpr int MIN_FRAMES = 15;
inline constexpr int MAX_FRAMES = 500;
// Room for the longest motion and the tails of its spring kernels (checked where the kernel is
// defined).
inline constexpr int FRAME_CAPACITY = 550;
inline constexpr int SIGNAL_SLOT_COUNT = 31;
inline constexpr int JOINT_TRACK_COUNT = 11;
inline constexpr int TABLE_JOINT_COUNT = 10;
inline constexpr int CHANNELS_PER_JOINT = 3;

using FrameArray = std::array<double, FRAME_CAPACITY>;
using SignalSlot = FrameArray;

// Rotation channels of one joint in degrees, per frame, in the order of the BVH motion line:
// track[frame][0] is channel 1.
using JointTrack = std::array<std::array<double, CHANNELS_PER_JOINT>, FRAME_CAPACITY>;

// Signal slots by number. Numbers 1 to 4 belong to no slot; 7 to 9 are the display panel's plot
// arrays, which the panel keeps itself.
enum class Slot : int {
  twistSum = 0,
  lThighBend = 5,
  rThighBend = 6,
  earringZrotBase = 10,
  earringSwayBase = 11,
  earringXrotBase = 12,
  earringZrot = 13,
  earringSway = 14,
  earringXrot = 15,
  headFrontBase = 16,
  headSideBase = 17,
  headUpBase = 18,
  headFront = 19,
  hairSwing = 20,
  headSide = 21,
  headUp = 22,
  hipUpBase = 23,
  hipUp = 24,
  chestFrontBase = 25,
  chestSideBase = 26,
  chestUpBase = 27,
  chestFront = 28,
  chestSide = 29,
  chestUp = 30,
};

// Joint tracks by number; for the ten table joints the track is 9 minus the jointNames entry.
enum class Track : int {
  lShin = 0,
  lThigh = 1,
  rShin = 2,
  rThigh = 3,
  lCollar = 4,
  rCollar = 5,
  head = 6,
  neck = 7,
  chest = 8,
  abdomen = 9,
  hip = 10,
};

struct JointName {
  const char* primary;
  const char* alternative;
};

// The joints the reader must find, in the order it looks for them; the last row is the sentinel.
inline constexpr std::array<JointName, TABLE_JOINT_COUNT + 1> jointNames{{
    {"abdomen", "abdomen"},
    {"chest", "chest"},
    {"neck", "neck"},
    {"head", "head"},
    {"Right Collar", "rCollar"},
    {"Left Collar", "lCollar"},
    {"rThigh", "rThigh"},
    {"rShin", "rShin"},
    {"lThigh", "lThigh"},
    {"lShin", "lShin"},
    {"#", "#"},
}};

inline constexpr Track trackOfTableJoint(int entry) { return static_cast<Track>(9 - entry); }

// What the reader fills from a BVH file: the joint rotations, the hip positions and the scalars
// that describe the motion. In movie mode the effect dynamics replace the hip positions by their
// spring responses.
struct Motion {
  std::array<JointTrack, JOINT_TRACK_COUNT> tracks{};
  FrameArray hipXPos{};
  FrameArray hipYPos{};
  FrameArray hipZPos{};
  // Index, among the values of a motion line, of each table joint's first rotation channel.
  std::array<int, TABLE_JOINT_COUNT> channelStart{};
  int frameCount = 0;
  double frameTime = 0.0;  // seconds per frame

  JointTrack& operator[](Track t) { return tracks[static_cast<std::size_t>(t)]; }
  const JointTrack& operator[](Track t) const { return tracks[static_cast<std::size_t>(t)]; }
};

// What the analysis fills for the writer and the pages: the signal slots, the frame rate of the
// motion they were computed from and whether they were computed as one cycle of a loop.
struct Signals {
  std::array<SignalSlot, SIGNAL_SLOT_COUNT> slots{};
  int frameRate = 0;      // frames per second, rounded; 0 until a pass has succeeded
  bool loopPass = false;  // the last pass took the motion as one cycle of a loop

  SignalSlot& operator[](Slot s) { return slots[static_cast<std::size_t>(s)]; }
  const SignalSlot& operator[](Slot s) const { return slots[static_cast<std::size_t>(s)]; }
};

// About 0.3 MB: make it once per session, on the heap, and reuse it.
struct MotionStore {
  Motion motion;
  Signals signals;
};

}  // namespace zev
