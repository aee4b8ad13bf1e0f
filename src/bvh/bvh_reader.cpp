#include "bvh/bvh_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>

#include "store/motion_store.h"

namespace zev {

namespace {

constexpr int LINE_BUFFER_SIZE = 10000;
constexpr int HEADER_LINE_CHARS = 999;
constexpr int MOTION_LINE_CHARS = 9999;
constexpr int ROOT_LINE_TRIES = 3;
constexpr int VALUE_CHARS = 10;
constexpr int HIP_VALUES = 6;
// A motion line of 9,999 characters holds at most this many values (one character and one
// separator each), so larger value indices can never be reached.
constexpr int MAX_VALUES_PER_LINE = MOTION_LINE_CHARS / 2 + 1;

// Byte source for one read: a file through a fixed chunk buffer, or bytes in memory. Both go
// through the same line reading, so the fuzzer exercises exactly what a file read does.
class LineReader {
 public:
  LineReader(const char* data, std::size_t size) : cursor_(data), end_(data + size) {}
  explicit LineReader(std::FILE* file) : file_(file) {}

  // Reads one piece of a line, at most maxChars characters, its line end kept. False when the
  // input has ended (nothing read) or cannot be read.
  bool readLine(int maxChars, std::string_view& line) {
    std::size_t length = 0;
    bool lineEnded = false;
    while (!lineEnded && length < static_cast<std::size_t>(maxChars)) {
      if (cursor_ == end_ && !refill()) break;
      const std::size_t available =
          std::min(static_cast<std::size_t>(end_ - cursor_), maxChars - length);
      const void* lineFeed = std::memchr(cursor_, '\n', available);
      const std::size_t taken =
          lineFeed ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - cursor_) + 1
                   : available;
      std::memcpy(lineBuffer_ + length, cursor_, taken);
      cursor_ += taken;
      length += taken;
      lineEnded = lineFeed != nullptr;
    }
    line = std::string_view(lineBuffer_, length);
    return length > 0 && !failed_;
  }

  // Drops the rest of a line that did not fit into the piece just read.
  void skipRestOfLine(std::string_view piece) {
    if (!piece.empty() && piece.back() == '\n') return;
    while (cursor_ != end_ || refill()) {
      const void* lineFeed = std::memchr(cursor_, '\n', static_cast<std::size_t>(end_ - cursor_));
      cursor_ = lineFeed ? static_cast<const char*>(lineFeed) + 1 : end_;
      if (lineFeed) return;
    }
  }

 private:
  bool refill() {
    if (file_ == nullptr || failed_) return false;
    const std::size_t got = std::fread(chunk_, 1, sizeof chunk_, file_);
    if (got == 0) {
      failed_ = std::ferror(file_) != 0;
      return false;
    }
    cursor_ = chunk_;
    end_ = chunk_ + got;
    return true;
  }

  std::FILE* file_ = nullptr;
  const char* cursor_ = nullptr;
  const char* end_ = nullptr;
  bool failed_ = false;
  static char chunk_[1 << 16];
  static char lineBuffer_[LINE_BUFFER_SIZE];
};

char LineReader::chunk_[1 << 16];
char LineReader::lineBuffer_[LINE_BUFFER_SIZE];

// What a read produces before it is known to be good; copied into the store only on success, so
// a failed read never leaves the store mixing a new frame count with old tracks.
struct StagedMotion {
  std::array<JointTrack, JOINT_TRACK_COUNT> tracks;
  FrameArray hipXPos;
  FrameArray hipYPos;
  FrameArray hipZPos;
  std::array<int, TABLE_JOINT_COUNT> channelStart;
  int frameCount;
  double frameTime;
};

StagedMotion staged;

void commitStagedMotion() {
  MotionStore& store = motionStore();
  const auto frames = static_cast<std::size_t>(staged.frameCount);
  for (int t = 0; t < JOINT_TRACK_COUNT; ++t) {
    std::copy_n(staged.tracks[t].begin(), frames, store.tracks[t].begin());
  }
  std::copy_n(staged.hipXPos.begin(), frames, store.hipXPos.begin());
  std::copy_n(staged.hipYPos.begin(), frames, store.hipYPos.begin());
  std::copy_n(staged.hipZPos.begin(), frames, store.hipZPos.begin());
  store.channelStart = staged.channelStart;
  store.frameCount = staged.frameCount;
  store.frameTime = staged.frameTime;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view from(std::string_view line, std::size_t position) {
  return position < line.size() ? line.substr(position) : std::string_view{};
}

// Decimal number: blanks and tabs, optional sign, digits, optional fraction, optional exponent;
// it ends at the first character that cannot continue it, and nothing readable gives 0. Only
// this grammar is accepted (no "inf", "nan" or hexadecimal), independent of the locale. An
// exponent too large gives an infinite value, one too small gives zero.
double parseDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t mantissaStart = i;
  std::size_t digits = 0;
  while (i < text.size() && isDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  bool exponentPositive = true;
  std::size_t end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t e = i + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) exponentPositive = text[e++] != '-';
    if (e < text.size() && isDigit(text[e])) {
      while (e < text.size() && isDigit(text[e])) ++e;
      end = e;
    }
  }
  double value = 0.0;
  const auto [rest, error] = std::from_chars(text.data() + mantissaStart, text.data() + end, value);
  if (error == std::errc::result_out_of_range) {
    value = exponentPositive ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

// Whole number after blanks and tabs and an optional sign; nothing readable gives 0. Values
// beyond the int range saturate, so they fail the frame range check instead of wrapping into it.
long long parseWholeNumber(std::string_view text) {
  constexpr long long SATURATED = std::numeric_limits<int>::max() + 1LL;
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    value = std::min(SATURATED, value * 10 + (text[i] - '0'));
  }
  return negative ? -value : value;
}

// The JOINT's name stands one character after the keyword and is followed by a separator, a line
// end or the end of the line.
bool nameMatches(std::string_view nameText, std::string_view name) {
  if (nameText.substr(0, name.size()) != name) return false;
  if (nameText.size() == name.size()) return true;
  const char next = nameText[name.size()];
  return isBlank(next) || isLineEnd(next);
}

// Finds the ten table joints by their JOINT lines. A name must equal a table name in full and may
// take any entry still missing, so figures with hands ("lThumb1"), helper joints ("neckDummy") or
// the left side first read the right joints.
BvhReadStatus scanHierarchy(LineReader& reader) {
  std::array<bool, TABLE_JOINT_COUNT> found{};
  int foundCount = 0;
  // Saturated far beyond any index a motion line can reach, so it can never overflow.
  long long jointCount = 0;
  std::string_view line;
  while (reader.readLine(HEADER_LINE_CHARS, line)) {
    if (foundCount == TABLE_JOINT_COUNT) break;
    const std::size_t n = line.size();
    if (n <= 5) continue;
    for (std::size_t j = 0; j < n - 5; ++j) {
      if (!keywordMatch("JOINT", line.substr(j))) continue;
      jointCount = std::min<long long>(jointCount + 1, MAX_VALUES_PER_LINE);
      const std::string_view nameText = from(line, j + 6);
      int entry = 0;
      while (entry < TABLE_JOINT_COUNT &&
             (found[entry] || !(nameMatches(nameText, jointNames[entry].primary) ||
                                nameMatches(nameText, jointNames[entry].alternative)))) {
        ++entry;
      }
      if (entry < TABLE_JOINT_COUNT) {
        found[entry] = true;
        ++foundCount;
        staged.channelStart[entry] = static_cast<int>(3 * jointCount + 3);
        break;
      }
    }
  }
  return foundCount == TABLE_JOINT_COUNT ? BvhReadStatus::Ok : BvhReadStatus::NotHuman;
}

BvhReadStatus readFrameHeader(LineReader& reader) {
  std::string_view line;
  do {
    if (!reader.readLine(HEADER_LINE_CHARS, line)) return BvhReadStatus::ReadError;
  } while (!keywordMatch("Frames:", line));
  const long long frames = parseWholeNumber(from(line, 8));
  if (!reader.readLine(HEADER_LINE_CHARS, line) || !keywordMatch("Frame Time:", line)) {
    return BvhReadStatus::ReadError;
  }
  staged.frameTime = parseDecimal(from(line, 11));
  if (frames < MIN_FRAMES || frames > MAX_FRAMES) return BvhReadStatus::FrameRange;
  staged.frameCount = static_cast<int>(frames);
  const double rate = 1.0 / staged.frameTime + 0.5;
  if (!(rate >= 12.0 && rate < 61.0)) return BvhReadStatus::FpsRange;
  return BvhReadStatus::Ok;
}

// Where each value of a motion line goes: a channel of a track, a hip position, or nowhere.
struct ValueTarget {
  int track;    // NO_TARGET, HIP_POSITION or a track number
  int channel;  // 0 to 2: the track's channel, or the position axis
};
constexpr int NO_TARGET = -1;
constexpr int HIP_POSITION = JOINT_TRACK_COUNT;

std::array<ValueTarget, MAX_VALUES_PER_LINE> valueTargets;

// Returns the index of the last value needed on each motion line. The table joints may stand in
// any order, so it is the largest of their last channels.
int prepareValueTargets() {
  int last = HIP_VALUES - 1;
  for (int entry = 0; entry < TABLE_JOINT_COUNT; ++entry) {
    last = std::max(last, staged.channelStart[entry] + 2);
  }
  last = std::min(last, MAX_VALUES_PER_LINE - 1);
  std::fill_n(valueTargets.begin(), last + 1, ValueTarget{NO_TARGET, 0});
  for (int axis = 0; axis < 3; ++axis) {
    valueTargets[axis] = {HIP_POSITION, axis};
    valueTargets[axis + 3] = {hipTrack, axis};
  }
  for (int entry = 0; entry < TABLE_JOINT_COUNT; ++entry) {
    for (int m = 0; m < CHANNELS_PER_JOINT; ++m) {
      const int index = staged.channelStart[entry] + m;
      if (index <= last) valueTargets[index] = {trackOfTableJoint(entry), m};
    }
  }
  return last;
}

// Values that go nowhere are skipped unconverted: only their separators matter.
void storeValue(const ValueTarget& target, int frame, std::string_view text) {
  if (target.track == HIP_POSITION) {
    FrameArray* const positions[] = {&staged.hipXPos, &staged.hipYPos, &staged.hipZPos};
    (*positions[target.channel])[frame] = parseDecimal(text);
  } else if (target.track != NO_TARGET) {
    staged.tracks[target.track][frame][target.channel] = parseDecimal(text);
  }
}

// Reads the needed values of one motion line. A line must hold at least one further value after
// the last needed one; one that ends sooner fails as the export's frame-rate message does.
BvhReadStatus readMotionLine(std::string_view line, int frame, int last) {
  std::size_t p = 0;
  for (int c = 0; c <= last; ++c) {
    storeValue(valueTargets[c], frame, line.substr(p, VALUE_CHARS));
    if (p + 1 >= line.size() || isLineEnd(line[p + 1])) return BvhReadStatus::FpsRange;
    std::size_t separator = p + 1;
    while (separator < line.size() && !isBlank(line[separator])) ++separator;
    if (separator == line.size()) return BvhReadStatus::FpsRange;
    p = separator + 1;
    if (p >= line.size() || isLineEnd(line[p])) return BvhReadStatus::FpsRange;
  }
  return BvhReadStatus::Ok;
}

BvhReadStatus readMotion(LineReader& reader) {
  const int last = prepareValueTargets();
  std::string_view line;
  for (int frame = 0; frame < staged.frameCount; ++frame) {
    if (!reader.readLine(MOTION_LINE_CHARS, line)) return BvhReadStatus::ReadError;
    const BvhReadStatus status = readMotionLine(line, frame, last);
    if (status != BvhReadStatus::Ok) return status;
    // A figure with very many joints can carry more than a piece holds after the needed values;
    // the rest of its line is not the next frame.
    reader.skipRestOfLine(line);
  }
  return BvhReadStatus::Ok;
}

BvhReadStatus findRootLine(LineReader& reader) {
  std::string_view line;
  for (int tries = 0; tries < ROOT_LINE_TRIES; ++tries) {
    if (!reader.readLine(HEADER_LINE_CHARS, line)) return BvhReadStatus::ReadError;
    // In effect the line's seventh character is the "i" of "ROOT hip".
    if (keywordMatch("hip", from(line, 5))) return BvhReadStatus::Ok;
  }
  return BvhReadStatus::NotPoserFormat;
}

BvhReadStatus readStaged(LineReader& reader) {
  staged.channelStart.fill(0);
  BvhReadStatus status = findRootLine(reader);
  if (status == BvhReadStatus::Ok) status = scanHierarchy(reader);
  if (status == BvhReadStatus::Ok) status = readFrameHeader(reader);
  if (status == BvhReadStatus::Ok) status = readMotion(reader);
  return status;
}

BvhReadStatus readAndCommit(LineReader& reader) {
  const BvhReadStatus status = readStaged(reader);
  if (status == BvhReadStatus::Ok) commitStagedMotion();
  // The dialog disables Save, Analyze and Graph on this status; the frame count says why.
  if (status == BvhReadStatus::FrameRange) motionStore().frameCount = 0;
  return status;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string_view bvhReadMessage(BvhReadStatus status) {
  switch (status) {
    case BvhReadStatus::Ok:
      return "";
    case BvhReadStatus::CannotOpen:
      return "BVH FILE CAN NOT OPEN!";
    case BvhReadStatus::ReadError:
      return "BVH FILE READ ERR";
    case BvhReadStatus::NotPoserFormat:
      return "BVH FILE NOT POSER FORMAT";
    case BvhReadStatus::NotHuman:
      return "BVH FILE NOT HUMAN ERR";
    case BvhReadStatus::FpsRange:
      return "FPS RANGE ERR";
    case BvhReadStatus::FrameRange:
      return "FRAME RANGE ERR";
  }
  return "";
}

bool keywordMatch(std::string_view pattern, std::string_view text) {
  const std::size_t length = pattern.size();
  if (length <= 2) return true;
  for (std::size_t k = 1;; ++k) {
    if (k >= text.size() || pattern[k] != text[k]) return false;
    if (2 * k + 2 >= length) return true;
  }
}

BvhReadStatus readBvhFile(const char* path) {
  // Directories, devices and pipes cannot be read as a motion file (a device could never end).
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return BvhReadStatus::CannotOpen;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
  if (!file) return BvhReadStatus::CannotOpen;
  LineReader reader(file.get());
  return readAndCommit(reader);
}

BvhReadStatus readBvhBuffer(const char* data, std::size_t size) {
  LineReader reader(data, size);
  return readAndCommit(reader);
}

}  // namespace zev
