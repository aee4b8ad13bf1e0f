#include "bvh/bvh_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>

#include "bvh/decimal_text.h"
#include "bvh/text_scan.h"
#include "common/number_format.h"
#include "files/file_system.h"
#include "store/frame_rate.h"

namespace zev {

namespace {

constexpr int HEADER_LINE_CHARS = 999;
constexpr int MOTION_LINE_CHARS = 9999;
constexpr int ROOT_LINE_TRIES = 3;
constexpr int VALUE_CHARS = 10;
constexpr int HIP_VALUES = 6;
// Room for many lines per read from the file; a piece of a line always fits, so that every piece
// can be handed out where it lies.
constexpr std::size_t CHUNK_SIZE = 1 << 16;
static_assert(CHUNK_SIZE > MOTION_LINE_CHARS);
// A motion line of 9,999 characters holds at most this many values (one character and one
// separator each), so larger value indices can never be reached.
constexpr int MAX_VALUES_PER_LINE = MOTION_LINE_CHARS / 2 + 1;
// How much of a value as the file writes it a detail shows.
constexpr std::size_t SHOWN_CHARS = 24;

// Where each value of a motion line goes: frame f's value to first[f * stride], a channel of a
// track or a hip position of the staged motion; nowhere when first is null.
struct ValueTarget {
  double* first = nullptr;
  std::ptrdiff_t stride = 0;
};

struct NeededValue {
  int index;
  ValueTarget target;
};

}  // namespace

struct BvhReader::Scratch {
  std::array<char, CHUNK_SIZE> chunk;
  // What a read produces before it is known to be good; copied into the caller's motion only on
  // success, so a failed read never leaves it mixing a new frame count with old tracks.
  Motion staged;
  std::array<ValueTarget, MAX_VALUES_PER_LINE> valueTargets;
  // The values that go somewhere, by ascending index.
  std::array<NeededValue, HIP_VALUES + CHANNELS_PER_JOINT * TABLE_JOINT_COUNT> neededValues;
  int neededCount = 0;
};

namespace {

std::string_view from(std::string_view line, std::size_t position) {
  return position < line.size() ? line.substr(position) : std::string_view{};
}

// The first blank or tab of line at or after position, or line.size() when there is none.
std::size_t findSeparator(std::string_view line, std::size_t position) {
  while (position < line.size() && !isBlank(line[position])) ++position;
  return position;
}

// Byte source for one read: a file through the chunk buffer, or bytes in memory. Both go through
// the same line reading, so the fuzzer exercises exactly what a file read does. Pieces of lines
// are handed out where they lie, in the bytes or in the chunk, valid until the next piece is
// read. Counts the lines of the file, so that a failure can say where it arose.
class LineReader {
 public:
  LineReader(BvhReader::Scratch& scratch, std::string_view bytes)
      : chunk_(scratch.chunk), cursor_(bytes.data()), end_(bytes.data() + bytes.size()) {}
  LineReader(BvhReader::Scratch& scratch, std::FILE* file)
      : chunk_(scratch.chunk), file_(file), cursor_(chunk_.data()), end_(chunk_.data()) {}

  // Reads one piece of a line, at most maxChars characters, its line end kept. False when the
  // input has ended (nothing read) or cannot be read.
  bool readLine(int maxChars, std::string_view& line) {
    const auto limit = static_cast<std::size_t>(maxChars);
    bool lineEnded = false;
    std::size_t length = 0;
    const char* lineEnd = nullptr;
    for (bool more = true;;) {
      const auto available = static_cast<std::size_t>(end_ - cursor_);
      const std::size_t window = std::min(available, limit);
      // A carriage return, where there is one, mostly stands just before the line feed.
      lineEnd = findEither(cursor_, window, '\n', '\r');
      const char* lineFeed = lineEnd;
      if (lineFeed != nullptr && *lineFeed == '\r') {
        lineFeed =
            findEither(lineFeed, window - static_cast<std::size_t>(lineFeed - cursor_), '\n', '\n');
      }
      lineEnded = lineFeed != nullptr;
      if (lineEnded) {
        length = static_cast<std::size_t>(lineFeed - cursor_) + 1;
        break;
      }
      if (available >= limit || !more) {
        length = window;
        break;
      }
      more = refill();
    }
    line = std::string_view(cursor_, length);
    firstLineEnd_ = lineEnd ? static_cast<std::size_t>(lineEnd - cursor_) : length;
    cursor_ += length;
    if (length == 0 || error_) return false;
    // A piece that continues an over-long line keeps that line's number.
    if (atLineStart_) ++lineNumber_;
    atLineStart_ = lineEnded;
    return true;
  }

  // Where the first carriage return or line feed of the last piece stands; its length when it
  // holds neither.
  std::size_t firstLineEnd() const { return firstLineEnd_; }

  // Whether the line of the last piece goes on beyond it: the piece was cut at its length.
  bool lineGoesOn() { return !atLineStart_ && (cursor_ != end_ || refill()); }

  // Drops the rest of a line that did not fit into the piece just read.
  void skipRestOfLine() {
    if (atLineStart_) return;
    while (cursor_ != end_ || refill()) {
      const char* lineFeed =
          findEither(cursor_, static_cast<std::size_t>(end_ - cursor_), '\n', '\n');
      cursor_ = lineFeed ? lineFeed + 1 : end_;
      if (lineFeed) break;
    }
    atLineStart_ = true;
  }

  // The number of the line the last piece came from; 0 before the first.
  int lineNumber() const { return lineNumber_; }
  // Why the file could not be read on; empty when it simply ended.
  std::error_code error() const { return error_; }

 private:
  // Moves what is left of the chunk to its start and fills the rest from the file; false when
  // nothing more came. Bytes in memory have nothing more.
  bool refill() {
    if (file_ == nullptr || error_) return false;
    const auto kept = static_cast<std::size_t>(end_ - cursor_);
    std::memmove(chunk_.data(), cursor_, kept);
    const std::size_t got = std::fread(chunk_.data() + kept, 1, chunk_.size() - kept, file_);
    if (got == 0 && std::ferror(file_) != 0) error_ = lastSystemError();
    cursor_ = chunk_.data();
    end_ = cursor_ + kept + got;
    return got != 0;
  }

  std::array<char, CHUNK_SIZE>& chunk_;
  std::FILE* file_ = nullptr;
  const char* cursor_;
  const char* end_;
  std::error_code error_;
  std::size_t firstLineEnd_ = 0;
  int lineNumber_ = 0;
  bool atLineStart_ = true;
};

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

// A header value as the file writes it, for a detail: from its first character to the last before
// the line end, cut to a length a message can show.
std::string_view writtenValue(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && isBlank(text[start])) ++start;
  std::size_t end = start;
  while (end < text.size() && !isLineEnd(text[end])) ++end;
  while (end > start && isBlank(text[end - 1])) --end;
  return text.substr(start, std::min(end - start, SHOWN_CHARS));
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
// too large for the frame count is shown as written, not as the saturated value. Empty when no
// digit is there.
std::string_view wholeNumberText(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && isBlank(text[start])) ++start;
  std::size_t digits = start;
  if (digits < text.size() && (text[digits] == '+' || text[digits] == '-')) ++digits;
  std::size_t end = digits;
  while (end < text.size() && isDigit(text[end])) ++end;
  return end > digits ? text.substr(start, std::min(end - start, SHOWN_CHARS)) : std::string_view{};
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
    const ReadDetail framesText(wholeNumberText(from(line, 8)));
    const ReadDetail framesWritten(writtenValue(from(line, 7)));
    if (!lines_.readLine(HEADER_LINE_CHARS, line)) {
      return cannotRead("the file ends after its Frames: line");
    }
    if (!keywordMatch("Frame Time:", line)) {
      result_.detail.append("the line after Frames: is not a Frame Time: line");
      return BvhReadStatus::ReadError;
    }
    const std::string_view frameTimeText = from(line, 11);
    const DecimalText frameTimeNumber = scanDecimal(frameTimeText);
    const double frameTime = valueOf(frameTimeText, frameTimeNumber);
    staged().frameTime = frameTime;
    if (frames < MIN_FRAMES || frames > MAX_FRAMES) {
      result_.line = framesLine;
      if (framesText.empty()) {
        describeNoNumber("Frames:", framesWritten.view(), "is not a whole number");
      } else {
        result_.detail.append("Frames: ").append(framesText.view()).append(" is outside ");
        result_.detail.append(MIN_FRAMES).append(" to ").append(MAX_FRAMES);
      }
      return BvhReadStatus::FrameRange;
    }
    staged().frameCount = static_cast<int>(frames);
    if (!frameRateAccepted(frameTime)) {
      describeFrameTime(frameTimeText, frameTimeNumber, frameTime);
      return BvhReadStatus::FpsRange;
    }
    return BvhReadStatus::Ok;
  }

  // A header value that holds no number: shown as the file writes it, since the 0 read from it
  // would mislead.
  void describeNoNumber(std::string_view keyword, std::string_view written,
                        std::string_view notANumber) {
    result_.detail.append(keyword).append(" ");
    if (written.empty()) {
      result_.detail.append("holds no number");
    } else {
      result_.detail.append(written).append(" ").append(notANumber);
    }
  }

  // Why a frame time gives no accepted frame rate.
  void describeFrameTime(std::string_view text, const DecimalText& number, double frameTime) {
    const std::string_view written = writtenValue(text);
    if (number.end == 0 || !writtenValue(from(text, number.end)).empty()) {
      describeNoNumber("Frame Time:", written, "is not a number of seconds");
      return;
    }
    const std::string_view digits =
        text.substr(number.mantissaStart, number.end - number.mantissaStart);
    if (frameTime == 0.0 && digits.find_first_of("123456789") < digits.find_first_of("eE")) {
      result_.detail.append("Frame Time: ")
          .append(written)
          .append(" is too short for a frame rate");
      return;
    }
    result_.detail.append("Frame Time ").append(formatShortest(frameTime).view());
    const double rate = frameRateBeforeCut(frameTime);
    if (frameTime > 0.0 && std::isfinite(rate)) {
      result_.detail.append(" is ").append(formatShortest(std::floor(rate)).view());
      result_.detail.append(" fps, outside ").append(MIN_FRAME_RATE).append(" to ");
      result_.detail.append(MAX_FRAME_RATE);
    } else {
      result_.detail.append(" gives no frame rate");
    }
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
    std::fill_n(targets.begin(), last + 1, ValueTarget{});
    const auto channelOf = [this](Track track, int channel) {
      return ValueTarget{&staged()[track][0][static_cast<std::size_t>(channel)],
                         CHANNELS_PER_JOINT};
    };
    FrameArray* const positions[] = {&staged().hipXPos, &staged().hipYPos, &staged().hipZPos};
    for (int axis = 0; axis < 3; ++axis) {
      targets[axis] = {positions[axis]->data(), 1};
      targets[axis + 3] = channelOf(Track::hip, axis);
    }
    for (int entry = 0; entry < TABLE_JOINT_COUNT; ++entry) {
      for (int m = 0; m < CHANNELS_PER_JOINT; ++m) {
        const int index = staged().channelStart[entry] + m;
        if (index <= last) targets[index] = channelOf(trackOfTableJoint(entry), m);
      }
    }
    scratch_.neededCount = 0;
    for (int index = 0; index <= last; ++index) {
      if (targets[index].first == nullptr) continue;
      scratch_.neededValues[static_cast<std::size_t>(scratch_.neededCount++)] = {index,
                                                                                 targets[index]};
    }
    return last;
  }

  static void store(const ValueTarget& target, int frame, std::string_view text) {
    target.first[static_cast<std::ptrdiff_t>(frame) * target.stride] = parseDecimal(text);
  }

  // Reads the needed values of a line as Poser writes it: values with one separator between two,
  // up to the line's first line end (at firstEnd). False, having read nothing for certain, where
  // the line is not of that kind or does not hold the values it needs.
  bool readRegularLine(std::string_view line, std::size_t firstEnd, int frame, int last) {
    SeparatorWalk walk(line.substr(0, firstEnd));
    for (int v = 0; v < scratch_.neededCount; ++v) {
      const NeededValue& value = scratch_.neededValues[static_cast<std::size_t>(v)];
      // Value c starts after the c-th separator.
      std::size_t start = 0;
      if (value.index > 0) {
        const std::size_t separator = walk.separator(value.index);
        if (separator == SeparatorWalk::NONE) return false;
        start = separator + 1;
      }
      store(value.target, frame, line.substr(start, VALUE_CHARS));
    }
    // One further value must follow the last needed one.
    const std::size_t separator = walk.separator(last + 1);
    return separator != SeparatorWalk::NONE && separator + 1 < firstEnd;
  }

  // Reads the needed values of one motion line. A line must hold at least one further value after
  // the last needed one; one that ends sooner fails as the export's frame-rate message does.
  // Values that go nowhere are skipped unconverted: only their separators matter.
  BvhReadStatus readMotionLine(std::string_view line, int frame, int last) {
    const std::size_t n = line.size();
    if (readRegularLine(line, lines_.firstLineEnd(), frame, last)) return BvhReadStatus::Ok;
    // Value by value, as the export reads every line.
    std::size_t p = 0;
    for (int c = 0; c <= last; ++c) {
      const std::size_t start = p;
      const ValueTarget& target = scratch_.valueTargets[static_cast<std::size_t>(c)];
      if (target.first != nullptr) store(target, frame, line.substr(p, VALUE_CHARS));
      if (p + 1 >= n || isLineEnd(line[p + 1])) return lineEnded(line, start, c, last);
      const std::size_t separator = findSeparator(line, p + 1);
      p = separator + 1;
      if (separator == n || p >= n || isLineEnd(line[p])) return lineEnded(line, start, c, last);
    }
    return BvhReadStatus::Ok;
  }

  // A motion line ran out while the value at start, the c-th, was read.
  BvhReadStatus lineEnded(std::string_view line, std::size_t start, int c, int last) {
    // The value at the cursor counts only where the line holds something there.
    const int values = start < line.size() && !isLineEnd(line[start]) ? c + 1 : c;
    if (lines_.lineGoesOn()) {
      result_.detail.append("the motion line is longer than the ").append(MOTION_LINE_CHARS);
      result_.detail.append(" characters the reader takes");
    } else if (values == 0) {
      result_.detail.append("the motion line is empty");
    } else {
      result_.detail.append("the motion line ends after ").append(values).append(" of the ");
      result_.detail.append(last + 2).append(" values it needs");
    }
    return BvhReadStatus::FpsRange;
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
      lines_.skipRestOfLine();
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
  // The chunk is the reader's buffer: the file's bytes go straight into it.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  LineReader lines(*scratch_, file.get());
  return readAndCommit(lines, *scratch_, motion);
}

BvhReadResult BvhReader::readBytes(std::string_view bytes, Motion& motion) {
  LineReader lines(*scratch_, bytes);
  return readAndCommit(lines, *scratch_, motion);
}

}  // namespace zev
