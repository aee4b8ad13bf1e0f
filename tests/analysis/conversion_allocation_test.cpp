// A whole conversion, from BVH bytes in memory to a pose file in a memory sink of enough capacity,
// allocates nothing once the reader and the motion store exist: every array is in one of them and
// every piece of text is on the stack.
// This executable replaces the global allocation functions to count their calls.

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "analysis/analysis_pass.h"
#include "bvh/bvh_reader.h"
#include "common/text_sink.h"
#include "pz2/pz2_writer.h"
#include "store/motion_store.h"
#include "support/test_motion.h"

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
    motion.setRotation(f, Track::chest, 2, 3.0 * wave);
    motion.setRotation(f, Track::head, 1, -2.0 * wave);
    motion.setRotation(f, Track::rThigh, 1, 1.5 * wave);
    motion.setRotation(f, Track::hip, 2, 0.5 * f);
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
  BvhReader reader;
  const auto store = std::make_unique<MotionStore>();
  const std::string bvh = walkText();
  std::string pz2;
  pz2.reserve(4 << 20);
  StringSink sink(pz2);

  for (const EffectParameters& parameters :
       {EffectParameters{.stillMode = false}, EffectParameters{.stillMode = false, .loop = true},
        EffectParameters{}}) {
    pz2.clear();
    counting = true;
    allocations = 0;
    const BvhReadResult read = reader.readBytes(bvh, store->motion);
    if (read.ok()) {
      analyseMotion(parameters, store->motion, store->signals);
      writePz2File(sink, *store);
    }
    counting = false;
    EXPECT_TRUE(read.ok()) << describeReadFailure(read).view();
    EXPECT_EQ(allocations, 0) << (parameters.stillMode ? "still mode"
                                  : parameters.loop    ? "loop mode"
                                                       : "movie mode");
    EXPECT_NE(pz2.find("clearFigureKeys 500\n"), std::string::npos);
  }
}

// A refusal, with the reason it gives, allocates nothing either.
TEST(ConversionAllocation, ARefusedInputAllocatesNothing) {
  BvhReader reader;
  const auto store = std::make_unique<MotionStore>();
  const std::string walk = walkText();
  const std::string cases[] = {
      walk.substr(0, walk.size() / 2),             // ends early
      test::TestMotion(14).text(),                 // too few frames
      test::TestMotion(20, "0.123456789").text(),  // too slow
      "HIERARCHY\nROOT pelvis\n{\n}\nMOTION\n",    // not a Poser export
  };
  for (const std::string& bvh : cases) {
    counting = true;
    allocations = 0;
    const BvhReadResult read = reader.readBytes(bvh, store->motion);
    const auto described = describeReadFailure(read);
    counting = false;
    EXPECT_FALSE(read.ok());
    EXPECT_FALSE(described.empty());
    EXPECT_EQ(allocations, 0) << described.view();
  }
}

}  // namespace
}  // namespace zev
