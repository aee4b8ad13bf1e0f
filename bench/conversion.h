#pragma once

#include <filesystem>
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
  // Into memory, or saved as the pose file `file` where one is given, as zev-convert saves it.
  // Aborts when the text cannot be read or the file saved: a timing of a failure would mislead.
  void convert(const std::string& text, const std::filesystem::path& file = {});
};

}  // namespace zev
