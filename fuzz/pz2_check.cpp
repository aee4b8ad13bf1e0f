#include "pz2_check.h"

#include <cstddef>
#include <set>

namespace zev::fuzz {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A cursor over the text that remembers the first mismatch.
class Pz2Parser {
 public:
  explicit Pz2Parser(std::string_view text) : text_(text) {}

  bool failed() const { return !problem_.empty(); }
  const std::string& problem() const { return problem_; }
  bool atEnd() const { return position_ == text_.size(); }

  bool startsWith(std::string_view literal) const {
    return text_.substr(position_).substr(0, literal.size()) == literal;
  }

  void expect(std::string_view literal) {
    if (failed()) return;
    if (!startsWith(literal)) {
      fail("expected \"" + std::string(literal) + "\"");
      return;
    }
    position_ += literal.size();
  }

  // Characters up to (not including) stop, which must follow; at least one.
  std::string_view word(char stop) {
    if (failed()) return {};
    const std::size_t end = text_.find(stop, position_);
    if (end == std::string_view::npos || end == position_) {
      fail("expected a name");
      return {};
    }
    const std::string_view result = text_.substr(position_, end - position_);
    position_ = end;
    return result;
  }

  // A decimal integer without sign or leading zeros.
  long long integer() {
    if (failed()) return -1;
    const std::size_t start = position_;
    long long value = 0;
    while (position_ < text_.size() && isDigit(text_[position_]) && position_ - start < 12) {
      value = value * 10 + (text_[position_++] - '0');
    }
    const std::size_t length = position_ - start;
    if (length == 0 || (length > 1 && text_[start] == '0')) fail("expected a whole number");
    return value;
  }

  // A key value: digits, a point and exactly six decimals; a minus sign only where allowed.
  void keyValue(bool signAllowed) {
    if (failed()) return;
    if (signAllowed && startsWith("-")) ++position_;
    const std::size_t start = position_;
    while (position_ < text_.size() && isDigit(text_[position_])) ++position_;
    const bool hasWhole = position_ > start;
    if (!hasWhole || position_ == text_.size() || text_[position_] != '.') {
      fail("expected a key value");
      return;
    }
    ++position_;
    for (int i = 0; i < 6; ++i, ++position_) {
      if (position_ == text_.size() || !isDigit(text_[position_])) {
        fail("expected six decimals");
        return;
      }
    }
  }

  void fail(std::string what) {
    if (failed()) return;
    problem_ = what + " at offset " + std::to_string(position_);
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
  std::string problem_;
};

// Returns the channel's name.
std::string_view parseChannel(Pz2Parser& parser, int frameCount) {
  parser.expect("\t\t");
  const bool rotation = parser.word(' ').starts_with("rotate");
  parser.expect(" ");
  const std::string_view name = parser.word('\n');
  parser.expect("\n\t\t\t{\n\t\t\tkeys\n\t\t\t\t{\n");
  for (int frame = 0; frame < frameCount && !parser.failed(); ++frame) {
    parser.expect("\t\t\t\t k  ");
    if (parser.integer() != frame && !parser.failed()) parser.fail("frame index out of order");
    parser.expect("  ");
    parser.keyValue(rotation);
    parser.expect("\n\t\t\t\t sl 1\n\t\t\t\t spl\n\t\t\t\t sm\n");
  }
  parser.expect("\t\t\t\t}\n\t\t\t}\n");
  return name;
}

}  // namespace

std::string checkPz2Text(std::string_view text, int frameCount) {
  for (std::string_view forbidden : {"nan", "inf", "-0.000000"}) {
    if (text.find(forbidden) != std::string_view::npos) {
      return "holds \"" + std::string(forbidden) + "\"";
    }
  }
  Pz2Parser parser(text);
  parser.expect("{\n\nversion\n\t{\n\tnumber 4\n\t}\n\nclearFigureKeys ");
  if (parser.integer() != frameCount && !parser.failed()) parser.fail("wrong frame count");
  parser.expect("\n\n");
  int channels = 0;
  for (int block = 0; block < PZ2_BLOCKS && !parser.failed(); ++block) {
    const std::string_view kind = parser.word(' ');
    if (!parser.failed() && kind != "actor" && kind != "prop") parser.fail("unknown block kind");
    parser.expect(" ");
    parser.word(':');
    parser.expect(":1\n\t{\n\tchannels\n\t\t{\n");
    std::set<std::string_view> names;
    while (!parser.failed() && !parser.startsWith("\n\t\t}\n\t}\n\n")) {
      const std::string_view name = parseChannel(parser, frameCount);
      if (!parser.failed() && !names.insert(name).second) parser.fail("a channel name twice");
      ++channels;
    }
    parser.expect("\n\t\t}\n\t}\n\n");
  }
  parser.expect("}");
  if (!parser.failed() && !parser.atEnd()) parser.fail("text after the closing brace");
  if (parser.failed()) return parser.problem();
  if (channels != PZ2_CHANNELS)
    return std::to_string(channels) + " channels instead of " + std::to_string(PZ2_CHANNELS);
  return {};
}

}  // namespace zev::fuzz
