#include "bvh/bvh_reader.h"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>

#include "common/number_format.h"
#include "files/file_system.h"
#include "store/frame_rate.h"

namespace zev {

namespace {

constexpr int LINE_BUFFER_SIZE = 10000;
constexpr int HEADER_LINE_CHARS = 999;
constexpr int MOTION_LINE_CHARS = 9999;
constexpr int ROOT_LINE_TRIES = 3;
constexpr int VALUE_CHARS = 10;
constexpr int HIP_VALUES = 6;
constexpr std::size_t CHUNK_SIZE = 1 << 16;
// A motion line of 9,999 characters holds at most this many values (one character and one
// separator each), so larger value indices can never be reached.
constexpr int MAX_VALUES_PER_LINE = MOTION_LINE_CHARS / 2 + 1;

// Where each value of a motion line goes: a channel of a track, a hip position, or nowhere.
struct ValueTarget {
  int track;    // NO_TARGET, HIP_POSITION or a track number
  int channel;  // 0 to 2: the track's channel, or the position axis
};
constexpr int NO_TARGET = -1;
constexpr int HIP_POSITION = JOINT_TRACK_COUNT;

}  // namespace

struct BvhReader::Scratch {
  std::array<char, CHUNK_SIZE> chunk;
  std::array<char, LINE_BUFFER_SIZE> line;
  // What a read produces before it is known to be good; copied into the caller's motion only on
  // success, so a failed read never leaves it mixing a new frame count with old tracks.
  Motion staged;
  std::array<ValueTarget, MAX_VALUES_PER_LINE> valueTargets;
};

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view from(std::string_view line, std::size_t position) {
  return position < line.size() ? line.substr(position) : std::string_view{};
}

// Byte source for one read: a file through the chunk buffer, or bytes in memory. Both go through
// the same line reading, so the fuzzer exercises exactly what a file read does. Counts the lines
// of the file, so that a failure can say where it arose.
class LineReader {
 public:
  LineReader(BvhReader::Scratch& scratch, std::string_view bytes)
      : scratch_(scratch), cursor_(bytes.data()), end_(bytes.data() + bytes.size()) {}
  LineReader(BvhReader::Scratch& scratch, std::FILE* file) : scratch_(scratch), file_(file) {}

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
      std::memcpy(scratch_.line.data() + length, cursor_, taken);
      cursor_ += taken;
      length += taken;
      lineEnded = lineFeed != nullptr;
    }
    line = std::string_view(scratch_.line.data(), length);
    if (length == 0 || error_) return false;
    // A piece that continues an over-long line keeps that line's number.
    if (atLineStart_) ++lineNumber_;
    atLineStart_ = lineEnded;
    return true;
  }

  // Drops the rest of a line that did not fit into the piece just read.
  void skipRestOfLine(std::string_view piece) {
    if (!piece.empty() && piece.back() == '\n') return;
    while (cursor_ != end_ || refill()) {
      const void* lineFeed = std::memchr(cursor_, '\n', static_cast<std::size_t>(end_ - cursor_));
      cursor_ = lineFeed ? static_cast<const char*>(lineFeed) + 1 : end_;
      if (lineFeed) break;
    }
    atLineStart_ = true;
  }

  // The number of the line the last piece came from; 0 before the first.
  int lineNumber() const { return lineNumber_; }
  // Why the file could not be read on; empty when it simply ended.
  std::error_code error() const { return error_; }

 private:
  bool refill() {
    if (file_ == nullptr || error_) return false;
    const std::size_t got = std::fread(scratch_.chunk.data(), 1, scratch_.chunk.size(), file_);
    if (got == 0) {
      if (std::ferror(file_) != 0) error_ = lastSystemError();
      return false;
    }
    cursor_ = scratch_.chunk.data();
    end_ = cursor_ + got;
    return true;
  }

  BvhReader::Scratch& scratch_;
  std::FILE* file_ = nullptr;
  const char* cursor_ = nullptr;
  const char* end_ = nullptr;
  std::error_code error_;
  int lineNumber_ = 0;
  bool atLineStart_ = true;
};

// Decimal number: blanks and tabs, optional sign, digits, optional fraction, optional exponent;
// it ends at the first character that cannot continue it, and nothing readable gives 0. Only
// this grammar is accepted (no "inf", "nan" or hexadecimal), independent of the locale. The
// conversion is exactly rounded on every platform; an exponent too large gives an infinite
// value, one too small gives zero.
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
  std::size_t end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t e = i + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
    if (e < text.size() && isDigit(text[e])) {
      while (e < text.size() && isDigit(text[e])) ++e;
      end = e;
    }
  }
  double value = 0.0;
  fast_float::from_chars(text.data() + mantissaStart, text.data() + end, value);
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

// The whole number as the file writes it where parseWholeNumber reads it, for a detail: a number
// too large for the frame count is shown as written, not as the saturated value.
std::string_view wholeNumberText(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && isBlank(text[start])) ++start;
  std::size_t end = start;
  if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
  while (end < text.size() && isDigit(text[end])) ++end;
  constexpr std::size_t SHOWN = 24;
  return end - start > 1 || (end > start && isDigit(text[start]))
             ? text.substr(start, std::min(end - start, SHOWN))
             : std::string_view("0");
}

// One read of one file or buffer into the scratch's staged motion.
class Read {
 public:
  Read(LineReader& lines, BvhReader::Scratch& scratch) : lines_(lines), scratch_(scratch) {}

  BvhReadResult run() {
    scratch_.staged.channelStart.fill(0);
    BvhReadStatus status = findRootLine();
    if (status == BvhReadStatus::Ok) status = scanHierarchy();
    if (status == BvhReadStatus::Ok) status = readFrameHeader();
    if (status == BvhReadStatus::Ok) status = readMotion();
    result_.status = status;
    if (status != BvhReadStatus::Ok && result_.line == 0) result_.line = lines_.lineNumber();
    return result_;
  }

 private:
  Motion& staged() { return scratch_.staged; }

  // A line could not be read: the file ended, or the system gave a reason.
  BvhReadStatus cannotRead(std::string_view ended) {
    if (lines_.error()) {
      result_.detail.append(lines_.error().message());
    } else {
      result_.detail.append(ended);
    }
    return BvhReadStatus::ReadError;
  }

  BvhReadStatus findRootLine() {
    std::string_view line;
    for (int tries = 0; tries < ROOT_LINE_TRIES; ++tries) {
      if (!lines_.readLine(HEADER_LINE_CHARS, line)) {
        return cannotRead(tries == 0 ? "the file is empty"
                                     : "the file ends before a ROOT hip line");
      }
      // In effect the line's seventh character is the "i" of "ROOT hip".
      if (keywordMatch("hip", from(line, 5))) return BvhReadStatus::Ok;
    }
    result_.detail.append("none of the first three lines is a ROOT hip line");
    return BvhReadStatus::NotPoserFormat;
  }

  // Finds the ten table joints by their JOINT lines. A name must equal a table name in full and
  // may take any entry still missing, so figures with hands ("lThumb1"), helper joints
  // ("neckDummy") or the left side first read the right joints.
  BvhReadStatus scanHierarchy() {
    std::array<bool, TABLE_JOINT_COUNT> found{};
    int foundCount = 0;
    // Saturated far beyond any index a motion line can reach, so it can never overflow.
    long long jointCount = 0;
    std::string_view line;
    while (lines_.readLine(HEADER_LINE_CHARS, line)) {
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
          staged().channelStart[entry] = static_cast<int>(3 * jointCount + 3);
          break;
        }
      }
    }
    if (foundCount == TABLE_JOINT_COUNT) return BvhReadStatus::Ok;
    if (lines_.error()) return cannotRead("");
    result_.detail.append("the file ends without JOINT");
    const char* separator = " ";
    for (int entry = 0; entry < TABLE_JOINT_COUNT; ++entry) {
      if (found[entry]) continue;
      result_.detail.append(separator).append(jointNames[entry].alternative);
      separator = ", ";
    }
    return BvhReadStatus::NotHuman;
  }

  BvhReadStatus readFrameHeader() {
    std::string_view line;
    do {
      if (!lines_.readLine(HEADER_LINE_CHARS, line)) {
        return cannotRead("the file ends without a Frames: line");
      }
    } while (!keywordMatch("Frames:", line));
    const int framesLine = lines_.lineNumber();
    const long long frames = parseWholeNumber(from(line, 8));
    result_.frames = frames;
    ReadDetail framesText(wholeNumberText(from(line, 8)));
    if (!lines_.readLine(HEADER_LINE_CHARS, line)) {
      return cannotRead("the file ends after its Frames: line");
    }
    if (!keywordMatch("Frame Time:", line)) {
      result_.detail.append("the line after Frames: is not a Frame Time: line");
      return BvhReadStatus::ReadError;
    }
    const double frameTime = parseDecimal(from(line, 11));
    staged().frameTime = frameTime;
    if (frames < MIN_FRAMES || frames > MAX_FRAMES) {
      result_.line = framesLine;
      result_.detail.append("Frames: ").append(framesText.view()).append(" is outside ");
      result_.detail.append(MIN_FRAMES).append(" to ").append(MAX_FRAMES);
      return BvhReadStatus::FrameRange;
    }
    staged().frameCount = static_cast<int>(frames);
    if (!frameRateAccepted(frameTime)) {
      result_.detail.append("Frame Time ").append(formatShortest(frameTime).view());
      const double rate = frameRateBeforeCut(frameTime);
      if (frameTime > 0.0 && std::isfinite(rate)) {
        result_.detail.append(" is ").append(formatShortest(std::floor(rate)).view());
        result_.detail.append(" fps, outside ").append(MIN_FRAME_RATE).append(" to ");
        result_.detail.append(MAX_FRAME_RATE);
      } else {
        result_.detail.append(" gives no frame rate");
      }
      return BvhReadStatus::FpsRange;
    }
    return BvhReadStatus::Ok;
  }

  // Returns the index of the last value needed on each motion line. The table joints may stand
  // in any order, so it is the largest of their last channels.
  int prepareValueTargets() {
    auto& targets = scratch_.valueTargets;
    int last = HIP_VALUES - 1;
    for (int entry = 0; entry < TABLE_JOINT_COUNT; ++entry) {
      last = std::max(last, staged().channelStart[entry] + 2);
    }
    last = std::min(last, MAX_VALUES_PER_LINE - 1);
    std::fill_n(targets.begin(), last + 1, ValueTarget{NO_TARGET, 0});
    for (int axis = 0; axis < 3; ++axis) {
      targets[axis] = {HIP_POSITION, axis};
      targets[axis + 3] = {static_cast<int>(Track::hip), axis};
    }
    for (int entry = 0; entry < TABLE_JOINT_COUNT; ++entry) {
      for (int m = 0; m < CHANNELS_PER_JOINT; ++m) {
        const int index = staged().channelStart[entry] + m;
        if (index <= last) targets[index] = {static_cast<int>(trackOfTableJoint(entry)), m};
      }
    }
    return last;
  }

  // Values that go nowhere are skipped unconverted: only their separators matter.
  void storeValue(const ValueTarget& target, int frame, std::string_view text) {
    if (target.track == HIP_POSITION) {
      FrameArray* const positions[] = {&staged().hipXPos, &staged().hipYPos, &staged().hipZPos};
      (*positions[target.channel])[frame] = parseDecimal(text);
    } else if (target.track != NO_TARGET) {
      staged().tracks[target.track][frame][target.channel] = parseDecimal(text);
    }
  }

  // Reads the needed values of one motion line. A line must hold at least one further value after
  // the last needed one; one that ends sooner fails as the export's frame-rate message does.
  BvhReadStatus readMotionLine(std::string_view line, int frame, int last) {
    std::size_t p = 0;
    for (int c = 0; c <= last; ++c) {
      const std::size_t start = p;
      storeValue(scratch_.valueTargets[c], frame, line.substr(p, VALUE_CHARS));
      bool ended = p + 1 >= line.size() || isLineEnd(line[p + 1]);
      if (!ended) {
        std::size_t separator = p + 1;
        while (separator < line.size() && !isBlank(line[separator])) ++separator;
        p = separator + 1;
        ended = separator == line.size() || p >= line.size() || isLineEnd(line[p]);
      }
      if (ended) {
        // The value at the cursor counts only where the line holds something there.
        const int values = start < line.size() && !isLineEnd(line[start]) ? c + 1 : c;
        if (values == 0) {
          result_.detail.append("the motion line is empty");
        } else {
          result_.detail.append("the motion line ends after ").append(values).append(" of the ");
          result_.detail.append(last + 2).append(" values it needs");
        }
        return BvhReadStatus::FpsRange;
      }
    }
    return BvhReadStatus::Ok;
  }

  BvhReadStatus readMotion() {
    const int last = prepareValueTargets();
    const int frames = staged().frameCount;
    std::string_view line;
    for (int frame = 0; frame < frames; ++frame) {
      if (!lines_.readLine(MOTION_LINE_CHARS, line)) {
        ReadDetail ended;
        ended.append("the file ends after ").append(frame).append(" of the ").append(frames);
        ended.append(" frames that Frames: announces");
        return cannotRead(ended.view());
      }
      const BvhReadStatus status = readMotionLine(line, frame, last);
      if (status != BvhReadStatus::Ok) return status;
      // A figure with very many joints can carry more than a piece holds after the needed
      // values; the rest of its line is not the next frame.
      lines_.skipRestOfLine(line);
    }
    return BvhReadStatus::Ok;
  }

  LineReader& lines_;
  BvhReader::Scratch& scratch_;
  BvhReadResult result_;
};

void commit(const Motion& staged, Motion& motion) {
  const auto frames = static_cast<std::size_t>(staged.frameCount);
  for (int t = 0; t < JOINT_TRACK_COUNT; ++t) {
    std::copy_n(staged.tracks[t].begin(), frames, motion.tracks[t].begin());
  }
  std::copy_n(staged.hipXPos.begin(), frames, motion.hipXPos.begin());
  std::copy_n(staged.hipYPos.begin(), frames, motion.hipYPos.begin());
  std::copy_n(staged.hipZPos.begin(), frames, motion.hipZPos.begin());
  motion.channelStart = staged.channelStart;
  motion.frameCount = staged.frameCount;
  motion.frameTime = staged.frameTime;
}

BvhReadResult readAndCommit(LineReader& lines, BvhReader::Scratch& scratch, Motion& motion) {
  const BvhReadResult result = Read(lines, scratch).run();
  if (result.ok()) commit(scratch.staged, motion);
  return result;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

BvhReadResult cannotOpen(std::string_view reason) {
  BvhReadResult result;
  result.status = BvhReadStatus::CannotOpen;
  result.detail.append(reason);
  return result;
}

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

FixedText<260> describeReadFailure(const BvhReadResult& result) {
  FixedText<260> text;
  if (result.line > 0) text.append("line ").append(result.line).append(": ");
  return text.append(result.detail.view());
}

bool keywordMatch(std::string_view pattern, std::string_view text) {
  const std::size_t length = pattern.size();
  if (length <= 2) return true;
  for (std::size_t k = 1;; ++k) {
    if (k >= text.size() || pattern[k] != text[k]) return false;
    if (2 * k + 2 >= length) return true;
  }
}

BvhReader::BvhReader() : scratch_(std::make_unique<Scratch>()) {}

BvhReader::~BvhReader() = default;

BvhReadResult BvhReader::readFile(const std::filesystem::path& path, Motion& motion) {
  // Folders, devices and pipes cannot be read as a motion file (a device could never end).
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error) return cannotOpen(error.message());
  if (std::filesystem::is_directory(status)) {
    return cannotOpen(std::make_error_code(std::errc::is_a_directory).message());
  }
  if (!std::filesystem::is_regular_file(status)) return cannotOpen("not a regular file");
  std::unique_ptr<std::FILE, FileCloser> file(openFile(path, "rb"));
  if (!file) return cannotOpen(lastSystemError().message());
  LineReader lines(*scratch_, file.get());
  return readAndCommit(lines, *scratch_, motion);
}

BvhReadResult BvhReader::readBytes(std::string_view bytes, Motion& motion) {
  LineReader lines(*scratch_, bytes);
  return readAndCommit(lines, *scratch_, motion);
}

}  // namespace zev
