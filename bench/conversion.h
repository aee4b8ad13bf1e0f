#pragma once

#include <memory>
#include <string>

#include "analysis/effect_parameters.h"
#include "bvh/bvh_reader.h"
#include "store/motion_store.h"

// The conversion every timing runs: the bundled sample's hierarchy (77 joints) with its walk
// repeated to MAX_FRAMES frames, read from memory, analysed in movie mode and written as a pose
// file to memory.

namespace zev {

// The motion as the bytes of a BVH file, read once, on first use.
const std::string& longMotion();

EffectParameters movieMode();

// What a thread needs for its conversions, made once before it starts.
struct Worker {
  BvhReader reader;
  std::unique_ptr<MotionStore> store = std::make_unique<MotionStore>();
  std::string pz2;

  Worker();
  // Aborts when the text cannot be read: a timing of a failed read would mislead.
  void convert(const std::string& text);
};

}  // namespace zev
