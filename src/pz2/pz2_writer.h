#pragma once

#include <string_view>

#include "common/text_sink.h"
#include "store/motion_store.h"

// The PZ2 pose file: the effect signals as a Poser pose of 25 channels in eight actor and prop
// blocks, one key per frame. The writer only reads the store, and it writes through a sink so
// that the same layout goes to a file or to memory.
//
// Layout: line feeds only, no final line feed; key values with six decimals (as formatFixed writes
// them), a zero never with a minus sign. A morph channel's sign mode picks one direction of a
// signed signal: +1 keys the positive part, -1 the magnitude of the negative part, since each
// direction is a morph of its own. The earring's rotations are keyed as they stand, signed
// (SIGN_KEPT).

namespace zev {

inline constexpr int SIGN_POSITIVE = 1;
inline constexpr int SIGN_NEGATIVE = -1;
inline constexpr int SIGN_KEPT = 0;

// The pieces of the layout, in the order writePz2File uses them, each added to the buffer in front
// of the file's sink.
void writeFileHeader(TextBuffer& out, int frameCount);
void beginBlock(TextBuffer& out, std::string_view kind, std::string_view blockName);
void writeChannel(TextBuffer& out, std::string_view channelType, std::string_view channelName,
                  const SignalSlot& source, int signMode, int frameCount);
// A value that is not finite would put text into the file that Poser cannot read; it is keyed 0.
void writeKey(TextBuffer& out, int frame, double value);
void endBlock(TextBuffer& out);

// The whole file for the motion's frame count and the signals computed from it: header, the eight
// blocks of the channel table, and the closing brace.
void writePz2File(TextSink& sink, const MotionStore& store);

}  // namespace zev
