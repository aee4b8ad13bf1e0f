// libFuzzer target: the BVH reader on arbitrary bytes, once from memory and once from a file of
// the same bytes. Both must give the same result and leave the same motion: the file
// path reads through chunks of its own, and a difference at a chunk's edge would show here.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bvh/bvh_reader.h"
#include "fuzz_support.h"
#include "store/motion_store.h"

namespace {

using namespace zev;

// One scratch file per fuzzing process, removed when it ends.
const std::string& scratchPath() {
  static const std::string path = [] {
    std::string pattern = "/tmp/zev-fuzz-XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) fuzz::violation("cannot make a scratch file");
    close(descriptor);
    return pattern;
  }();
  static const bool removedAtExit = std::atexit([] { std::remove(scratchPath().c_str()); }) == 0;
  (void)removedAtExit;
  return path;
}

void writeScratch(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(scratchPath().c_str(), "wb");
  if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
    fuzz::violation("cannot write the scratch file");
  }
}

template <typename T>
bool sameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// What the reader writes, compared bit for bit.
bool sameMotion(const Motion& a, const Motion& b) {
  return sameBytes(a.tracks, b.tracks) && sameBytes(a.hipXPos, b.hipXPos) &&
         sameBytes(a.hipYPos, b.hipYPos) && sameBytes(a.hipZPos, b.hipZPos) &&
         sameBytes(a.channelStart, b.channelStart) && a.frameCount == b.frameCount &&
         sameBytes(a.frameTime, b.frameTime);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static BvhReader reader;
  // Fresh motions for every input, so that a finding reproduces from its file alone.
  const auto fromMemory = std::make_unique<Motion>();
  const auto fromFile = std::make_unique<Motion>();
  const BvhReadResult memoryRead =
      reader.readBytes(std::string_view(reinterpret_cast<const char*>(data), size), *fromMemory);
  fuzz::checkRead(memoryRead, *fromMemory, 0);

  writeScratch(data, size);
  const BvhReadResult fileRead = reader.readFile(scratchPath(), *fromFile);
  fuzz::checkRead(fileRead, *fromFile, 0);
  if (fileRead.status != memoryRead.status || fileRead.line != memoryRead.line ||
      fileRead.detail.view() != memoryRead.detail.view() || !sameMotion(*fromFile, *fromMemory)) {
    fuzz::violation("the same bytes read differently from a file and from memory");
  }
  return 0;
}
