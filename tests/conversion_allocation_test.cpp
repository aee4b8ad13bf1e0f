// A whole conversion, from BVH bytes in memory to a pose file in a memory sink of enough capacity,
// allocates nothing: every array is in the motion store and every piece of text is on the stack.
// This executable replaces the global allocation functions to count their calls.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "pz2/pz2_writer.h"
#include "support/test_motion.h"
#include "support/test_support.h"

namespace {

bool counting = false;
int allocations = 0;

void* allocate(std::size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (counting) ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace zev {
namespace {

std::string walkText() {
  test::TestMotion motion(MAX_FRAMES);
  for (int f = 0; f < MAX_FRAMES; ++f) {
    const double wave = (f % 24) - 12.0;
    motion.setRotation(f, chestTrack, 2, 3.0 * wave);
    motion.setRotation(f, headTrack, 1, -2.0 * wave);
    motion.setRotation(f, rThighTrack, 1, 1.5 * wave);
    motion.setRotation(f, hipTrack, 2, 0.5 * f);
    motion.setHipPosition(f, 1, 0.2 * wave);
  }
  return motion.text();
}

TEST(ConversionAllocation, CountsAnAllocation) {
  counting = true;
  allocations = 0;
  auto probe = std::make_unique<std::array<char, 100>>();
  counting = false;
  EXPECT_EQ(allocations, 1);
  EXPECT_NE(probe, nullptr);
}

TEST(ConversionAllocation, AWholeConversionAllocatesNothing) {
  test::resetMotionStore();
  const std::string bvh = walkText();
  std::string pz2;
  pz2.reserve(4 << 20);
  Pz2MemorySink sink(pz2);
  SilentView view;

  for (const bool still : {false, true}) {
    EffectParameters parameters;
    parameters.stillMode = still;
    pz2.clear();
    counting = true;
    allocations = 0;
    const BvhReadStatus status = readBvhBuffer(bvh.data(), bvh.size());
    analyseAfterRead(status, parameters, view);
    writePz2File(sink);
    counting = false;
    EXPECT_EQ(status, BvhReadStatus::Ok);
    EXPECT_EQ(allocations, 0) << (still ? "still mode" : "movie mode");
    EXPECT_NE(pz2.find("clearFigureKeys 500\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace zev
