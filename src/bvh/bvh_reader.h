#pragma once

#include <cstddef>
#include <string_view>

// Reads a BVH file as Poser exports it for its human figure into the motion store. It relies on
// the layout of that export rather than parsing BVH in general: root "hip" with six values per
// frame, three rotation values per JOINT, ten table joints found by name. All or nothing: the
// store changes only when the whole file has been read and checked, except that a frame count out
// of range sets frameCount to 0.

namespace zev {

enum class BvhReadStatus {
  Ok,
  CannotOpen,
  ReadError,
  NotPoserFormat,
  NotHuman,
  FpsRange,
  FrameRange,
};

inline constexpr int MIN_FRAMES = 15;
inline constexpr int MAX_FRAMES = 500;

// The text the dialog shows for a status; empty for Ok.
std::string_view bvhReadMessage(BvhReadStatus status);

// The export's keyword comparison: only positions 1 to ceil(L/2) - 1 of the pattern are compared;
// text runs to the end of the current line, and a position beyond it never matches.
bool keywordMatch(std::string_view pattern, std::string_view text);

BvhReadStatus readBvhFile(const char* path);

// The same reading from bytes in memory, for tests and fuzzing.
BvhReadStatus readBvhBuffer(const char* data, std::size_t size);

}  // namespace zev
