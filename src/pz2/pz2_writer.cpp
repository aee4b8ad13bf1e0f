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

// A key line's text around its frame and value, and the three lines after it.
constexpr char KEY_START[] = "\t\t\t\t k  ";
constexpr char KEY_SEPARATOR[] = "  ";
constexpr char KEY_END[] = "\n\t\t\t\t sl 1\n\t\t\t\t spl\n\t\t\t\t sm\n";
constexpr std::size_t FRAME_CHARS = 11;  // an int with its sign
constexpr std::size_t MAX_KEY_CHARS =
    sizeof KEY_START + FRAME_CHARS + sizeof KEY_SEPARATOR + MAX_FIXED_CHARS + sizeof KEY_END;

// A fixed piece of text, copied in a few moves since its length is known here.
template <std::size_t N>
char* copy(char* out, const char (&text)[N]) {
  std::memcpy(out, text, N - 1);
  return out + N - 1;
}

// Frame numbers stay below a thousand, which a few moves write; to_chars takes any other.
char* writeFrame(char* out, int frame) {
  if (frame < 0 || frame >= 1000) return std::to_chars(out, out + FRAME_CHARS, frame).ptr;
  if (frame >= 100) *out++ = static_cast<char>('0' + frame / 100);
  if (frame >= 10) *out++ = static_cast<char>('0' + frame / 10 % 10);
  *out++ = static_cast<char>('0' + frame % 10);
  return out;
}

double keyValue(double element, int signMode) {
  if (signMode == SIGN_KEPT) return element;
  if (signMode > 0) return element > 0 ? element : 0.0;
  return -(element < 0 ? element : 0.0);
}

}  // namespace

void writeFileHeader(TextBuffer& out, int frameCount) {
  out.write("{\n\nversion\n\t{\n\tnumber 4\n\t}\n\n");
  out.write("clearFigureKeys ");
  char* const digits = out.reserve(FRAME_CHARS);
  out.commit(std::to_chars(digits, digits + FRAME_CHARS, frameCount).ptr);
  out.write("\n\n");
}

void beginBlock(TextBuffer& out, std::string_view kind, std::string_view blockName) {
  out.write(kind);
  out.write(" ");
  out.write(blockName);
  out.write(":1\n");
  out.write("\t{\n\tchannels\n\t\t{\n");
}

void writeChannel(TextBuffer& out, std::string_view channelType, std::string_view channelName,
                  const SignalSlot& source, int signMode, int frameCount) {
  out.write("\t\t");
  out.write(channelType);
  out.write(" ");
  out.write(channelName);
  out.write("\n");
  out.write("\t\t\t{\n\t\t\tkeys\n\t\t\t\t{\n");
  for (int i = 0; i < frameCount; ++i) {
    writeKey(out, i, keyValue(source[static_cast<std::size_t>(i)], signMode));
  }
  out.write("\t\t\t\t}\n\t\t\t}\n");
}

void writeKey(TextBuffer& out, int frame, double value) {
  if (!std::isfinite(value)) value = 0.0;
  char* p = copy(out.reserve(MAX_KEY_CHARS), KEY_START);
  p = copy(writeFrame(p, frame), KEY_SEPARATOR);
  p = writeSixDecimals(value, p);
  out.commit(copy(p, KEY_END));
}

void endBlock(TextBuffer& out) { out.write("\n\t\t}\n\t}\n\n"); }

void writePz2File(TextSink& sink, const MotionStore& store) {
  const int frameCount = store.motion.frameCount;
  TextBuffer out(sink);
  writeFileHeader(out, frameCount);
  for (const BlockRow& block : BLOCKS) {
    beginBlock(out, block.kind, block.name);
    for (int c = block.firstChannel; c < block.firstChannel + block.channelCount; ++c) {
      const ChannelRow& row = CHANNELS[static_cast<std::size_t>(c)];
      writeChannel(out, row.type, row.name, store.signals[row.source], row.signMode, frameCount);
    }
    endBlock(out);
  }
  out.write("}");
}

}  // namespace zev
