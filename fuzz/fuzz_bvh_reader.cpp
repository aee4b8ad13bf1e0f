// libFuzzer target: the BVH reader on arbitrary bytes, read twice to show that a read depends on
// its input alone.

#include <cstddef>
#include <cstdint>

#include "bvh/bvh_reader.h"
#include "fuzz_support.h"
#include "store/motion_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zev;
  fuzz::resetStore();
  const char* bytes = reinterpret_cast<const char*>(data);
  const BvhReadStatus first = readBvhBuffer(bytes, size);
  fuzz::checkRead(first, 0);
  const int frameCount = motionStore().frameCount;
  const BvhReadStatus second = readBvhBuffer(bytes, size);
  fuzz::checkRead(second, frameCount);
  if (second != first || motionStore().frameCount != frameCount) {
    fuzz::violation("the same bytes read differently the second time");
  }
  return 0;
}
