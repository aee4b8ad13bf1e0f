#include "pz2/pz2_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include "common/number_format.h"

namespace zev {

namespace {

struct ChannelRow {
  std::string_view type;
  std::string_view name;
  Slot source;
  int signMode;
};

struct BlockRow {
  std::string_view kind;
  std::string_view name;
  int firstChannel;
  int channelCount;
};

constexpr std::array<ChannelRow, 25> CHANNELS{{
    {"targetGeom", "Zuvflatx", Slot::chestFront, SIGN_POSITIVE},
    {"targetGeom", "Zuvdroopx", Slot::chestFront, SIGN_NEGATIVE},
    {"targetGeom", "Zuvdownx", Slot::chestUp, SIGN_POSITIVE},
    {"targetGeom", "Zuvupx", Slot::chestUp, SIGN_NEGATIVE},
    {"targetGeom", "Zuvleftx", Slot::chestSide, SIGN_NEGATIVE},
    {"targetGeom", "Zuvrightx", Slot::chestSide, SIGN_POSITIVE},
    {"targetGeom", "Zuvupcollarx", Slot::chestUp, SIGN_NEGATIVE},
    {"targetGeom", "Zuvupcollarx", Slot::chestUp, SIGN_NEGATIVE},
    {"targetGeom", "ZuvBendhipRightx", Slot::rThighBend, SIGN_NEGATIVE},
    {"targetGeom", "ZuvBendhipLeftx", Slot::lThighBend, SIGN_NEGATIVE},
    {"targetGeom", "Zuvhipdownx", Slot::hipUp, SIGN_POSITIVE},
    {"targetGeom", "ZuvBendhipthighRx", Slot::rThighBend, SIGN_NEGATIVE},
    {"targetGeom", "Zuvhipdownx", Slot::hipUp, SIGN_POSITIVE},
    {"targetGeom", "ZuvBendhipthighLx", Slot::lThighBend, SIGN_NEGATIVE},
    {"targetGeom", "Zuvhipdownx", Slot::hipUp, SIGN_POSITIVE},
    {"targetGeom", "BendBack", Slot::headFront, SIGN_POSITIVE},
    {"targetGeom", "BendFront", Slot::headFront, SIGN_NEGATIVE},
    {"targetGeom", "BendLeft", Slot::headSide, SIGN_NEGATIVE},
    {"targetGeom", "BendRight", Slot::headSide, SIGN_POSITIVE},
    {"targetGeom", "Nallow", Slot::headUp, SIGN_NEGATIVE},
    {"targetGeom", "Wide", Slot::headUp, SIGN_POSITIVE},
    {"targetGeom", "Left", Slot::hairSwing, SIGN_NEGATIVE},
    {"targetGeom", "Right", Slot::hairSwing, SIGN_POSITIVE},
    // A rotation is one channel that Poser keys by name: a second "zrot" would replace the first,
    // so each rotation carries both directions of its swing in its sign.
    {"rotateZ", "zrot", Slot::earringZrot, SIGN_KEPT},
    {"rotateX", "xrot", Slot::earringXrot, SIGN_KEPT},
}};

// Blocks in file order; "figureHair" is the one prop.
constexpr std::array<BlockRow, 8> BLOCKS{{
    {"actor", "chest", 0, 6},
    {"actor", "rShldr", 6, 1},
    {"actor", "lShldr", 7, 1},
    {"actor", "hip", 8, 3},
    {"actor", "rThigh", 11, 2},
    {"actor", "lThigh", 13, 2},
    {"prop", "figureHair", 15, 8},
    {"actor", "Earring_Hookright", 23, 2},
}};

// Gathers the format strings of one piece of the layout on the stack, so that a piece usually
// reaches the sink as one write; text that does not fit goes on in further writes.
class Piece {
 public:
  explicit Piece(TextSink& sink) : sink_(sink) {}
  Piece& add(std::string_view text) {
    if (text.size() > chars_.size() - length_) {
      flush();
      if (text.size() > chars_.size()) {
        sink_.write(text);
        return *this;
      }
    }
    std::memcpy(chars_.data() + length_, text.data(), text.size());
    length_ += text.size();
    return *this;
  }
  Piece& add(int number) {
    std::array<char, 16> digits;
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
    return add(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
  }
  void flush() {
    if (length_ > 0) sink_.write({chars_.data(), length_});
    length_ = 0;
  }

 private:
  TextSink& sink_;
  // A key piece, the longest of the layout, takes at most 350 characters.
  std::array<char, 512> chars_;
  std::size_t length_ = 0;
};

double keyValue(double element, int signMode) {
  if (signMode == SIGN_KEPT) return element;
  if (signMode > 0) return element > 0 ? element : 0.0;
  return -(element < 0 ? element : 0.0);
}

}  // namespace

void writeFileHeader(TextSink& sink, int frameCount) {
  Piece(sink)
      .add("{\n\nversion\n\t{\n\tnumber 4\n\t}\n\n")
      .add("clearFigureKeys ")
      .add(frameCount)
      .add("\n\n")
      .flush();
}

void beginBlock(TextSink& sink, std::string_view kind, std::string_view blockName) {
  Piece(sink).add(kind).add(" ").add(blockName).add(":1\n").add("\t{\n\tchannels\n\t\t{\n").flush();
}

void writeChannel(TextSink& sink, std::string_view channelType, std::string_view channelName,
                  const SignalSlot& source, int signMode, int frameCount) {
  Piece(sink)
      .add("\t\t")
      .add(channelType)
      .add(" ")
      .add(channelName)
      .add("\n")
      .add("\t\t\t{\n\t\t\tkeys\n\t\t\t\t{\n")
      .flush();
  for (int i = 0; i < frameCount; ++i) {
    writeKey(sink, i, keyValue(source[static_cast<std::size_t>(i)], signMode));
  }
  sink.write("\t\t\t\t}\n\t\t\t}\n");
}

void writeKey(TextSink& sink, int frame, double value) {
  if (!std::isfinite(value)) value = 0.0;
  Piece(sink)
      .add("\t\t\t\t k  ")
      .add(frame)
      .add("  ")
      .add(formatFixed(value, 6).view())
      .add("\n")
      .add("\t\t\t\t sl 1\n")
      .add("\t\t\t\t spl\n")
      .add("\t\t\t\t sm\n")
      .flush();
}

void endBlock(TextSink& sink) { sink.write("\n\t\t}\n\t}\n\n"); }

void writePz2File(TextSink& sink, const MotionStore& store) {
  const int frameCount = store.motion.frameCount;
  writeFileHeader(sink, frameCount);
  for (const BlockRow& block : BLOCKS) {
    beginBlock(sink, block.kind, block.name);
    for (int c = block.firstChannel; c < block.firstChannel + block.channelCount; ++c) {
      const ChannelRow& row = CHANNELS[static_cast<std::size_t>(c)];
      writeChannel(sink, row.type, row.name, store.signals[row.source], row.signMode, frameCount);
    }
    endBlock(sink);
  }
  sink.write("}");
}

}  // namespace zev
