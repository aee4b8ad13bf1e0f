#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "common/fixed_text.h"
#include "store/motion_store.h"

// Reads a BVH file as Poser exports it for its human figure into a Motion. It relies on the
// layout of that export rather than parsing BVH in general: root "hip" with six values per frame,
// three rotation values per JOINT, ten table joints found by name. All or nothing: the motion
// changes only when the whole file has been read and checked.

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

// The text the dialog shows for a status; empty for Ok.
std::string_view bvhReadMessage(BvhReadStatus status);

using ReadDetail = FixedText<240>;

struct BvhReadResult {
  BvhReadStatus status = BvhReadStatus::Ok;
  // The 1-based line at which the read stopped; 0 when no line was read.
  int line = 0;
  // What was found there, for a person: "Frames: 501 is outside 15 to 500", or the system's
  // reason when the file could not be opened or read. Empty on success.
  ReadDetail detail;
  // The count of the Frames: line as read, also when it is out of range (FrameRange); 0 when the
  // read stopped before that line.
  long long frames = 0;

  bool ok() const { return status == BvhReadStatus::Ok; }
  std::string_view message() const { return bvhReadMessage(status); }
};

// "line 37: " before the detail when the failure has a line, for a message's second line.
FixedText<260> describeReadFailure(const BvhReadResult& result);

// The export's keyword comparison: only positions 1 to ceil(L/2) - 1 of the pattern are compared;
// text runs to the end of the current line, and a position beyond it never matches.
bool keywordMatch(std::string_view pattern, std::string_view text);

// The reader's working memory: a chunk of the file, the current line, and the motion being read
// until it is known to be good (about 0.3 MB, allocated once when the reader is made). Make one
// per thread and reuse it for every file; a read allocates nothing.
class BvhReader {
 public:
  BvhReader();
  ~BvhReader();
  BvhReader(const BvhReader&) = delete;
  BvhReader& operator=(const BvhReader&) = delete;

  // Reads the file at path. A folder, device or pipe cannot be opened as a motion file.
  BvhReadResult readFile(const std::filesystem::path& path, Motion& motion);
  // The same reading from bytes in memory.
  BvhReadResult readBytes(std::string_view bytes, Motion& motion);

  struct Scratch;

 private:
  std::unique_ptr<Scratch> scratch_;
};

}  // namespace zev
