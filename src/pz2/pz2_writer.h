#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "store/motion_store.h"

// The PZ2 pose file: the effect signals of the motion store as a Poser pose of 27 channels in
// eight actor and prop blocks, one key per frame. The writer only reads the store, and it writes
// through a sink so that the same layout goes to a file or to memory.
//
// Layout: line feeds only, no final line feed; key values with six decimals (formatFixed), never
// with a minus sign. A channel's sign mode picks one direction of a signed signal: +1 keys the
// positive part, -1 the magnitude of the negative part.

namespace zev {

class Pz2Sink {
 public:
  virtual ~Pz2Sink() = default;
  virtual void write(std::string_view text) = 0;
};

// Appends to a caller-owned string; allocates nothing while the string's capacity suffices.
class Pz2MemorySink final : public Pz2Sink {
 public:
  explicit Pz2MemorySink(std::string& out) : out_(out) {}
  void write(std::string_view text) override { out_.append(text); }

 private:
  std::string& out_;
};

// Writes to an open stdio stream and remembers whether any write came up short. The caller owns
// the stream, and must still check its flush and close.
class Pz2FileSink final : public Pz2Sink {
 public:
  explicit Pz2FileSink(std::FILE* file) : file_(file) {}
  void write(std::string_view text) override;
  bool failed() const { return failed_; }

 private:
  std::FILE* file_;
  bool failed_ = false;
};

inline constexpr int SIGN_POSITIVE = 1;
inline constexpr int SIGN_NEGATIVE = -1;

// The pieces of the layout, in the order writePz2File uses them. Each reads the frame count anew.
void writeFileHeader(Pz2Sink& sink);
void beginBlock(Pz2Sink& sink, std::string_view kind, std::string_view blockName);
void writeChannel(Pz2Sink& sink, std::string_view channelType, std::string_view channelName,
                  const SignalSlot& source, int signMode);
// A value that is not finite would put text into the file that Poser cannot read; it is keyed 0.
void writeKey(Pz2Sink& sink, int frame, double value);
void endBlock(Pz2Sink& sink);

// The whole file: header, the eight blocks of the channel table, and the closing brace.
void writePz2File(Pz2Sink& sink);

}  // namespace zev
