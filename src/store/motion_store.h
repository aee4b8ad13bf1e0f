#pragma once

#include <array>

// The one motion that Z.E.V works on and everything derived from it. Plain data of fixed capacity:
// every per-frame array has room for FRAME_CAPACITY frames, nothing is allocated while the program
// runs, and each operation overwrites only frames 0 to frameCount - 1 of what it writes. Frames
// beyond frameCount keep whatever an earlier, longer motion left there; nothing reads them.

namespace zev {

// The reader accepts at most 500 frames; the spring filter lays its last kernel down to index
// frameCount + 26, so the arrays need at least 527 entries.
inline constexpr int FRAME_CAPACITY = 550;
inline constexpr int SIGNAL_SLOT_COUNT = 33;
inline constexpr int JOINT_TRACK_COUNT = 11;
inline constexpr int TABLE_JOINT_COUNT = 10;
inline constexpr int CHANNELS_PER_JOINT = 3;

using FrameArray = std::array<double, FRAME_CAPACITY>;
using SignalSlot = FrameArray;

// Rotation channels of one joint in degrees, per frame, in the order of the BVH motion line:
// track[frame][0] is channel 1.
using JointTrack = std::array<std::array<double, CHANNELS_PER_JOINT>, FRAME_CAPACITY>;

// Signal slots by number. Numbers 1 to 4 belong to no slot in use.
enum SlotNumber : int {
  twistSum = 0,
  lThighBend = 5,
  rThighBend = 6,
  plotA = 7,
  plotB = 8,
  plotC = 9,
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
  filterDiff = 31,
  filterSum = 32,
};

// Joint tracks by number; for the ten table joints the track is 9 minus the jointNames entry.
enum TrackNumber : int {
  lShinTrack = 0,
  lThighTrack = 1,
  rShinTrack = 2,
  rThighTrack = 3,
  lCollarTrack = 4,
  rCollarTrack = 5,
  headTrack = 6,
  neckTrack = 7,
  chestTrack = 8,
  abdomenTrack = 9,
  hipTrack = 10,
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

inline constexpr int trackOfTableJoint(int entry) { return 9 - entry; }

struct MotionStore {
  std::array<JointTrack, JOINT_TRACK_COUNT> tracks;
  FrameArray hipXPos;
  FrameArray hipYPos;
  FrameArray hipZPos;
  std::array<SignalSlot, SIGNAL_SLOT_COUNT> slots;
  FrameArray slopeSign;  // +1, -1 or 0 per frame, the graph view's scratch

  int frameCount;
  double frameTime;
  int frameRate;
  int panelMode;  // 1: a panel click redraws the report page, 2: the next graph page, else nothing
  int graphPage;  // 0 chest, 1 hair, 2 ring

  // Index, among the values of a motion line, of each table joint's first rotation channel.
  std::array<int, TABLE_JOINT_COUNT> channelStart;
};

// The process-wide store: zero in every entry at start, alive until the program ends.
MotionStore& motionStore();

}  // namespace zev
