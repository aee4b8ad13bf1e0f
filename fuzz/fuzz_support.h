#pragma once

#include "bvh/bvh_reader.h"
#include "store/motion_store.h"

// What both fuzz targets share: the checks that hold for any read, so that a finding reproduces
// from its file alone.

namespace zev::fuzz {

// Reports a broken invariant with the input's context and aborts, so that libFuzzer keeps the
// input as a finding.
[[noreturn]] void violation(std::string_view what);

// The status is one of the reader's seven; a failure has its message and a detail; on success the
// motion holds a frame count in range, a frame rate that rounds to 12 to 60 and no value that is
// not a number; after a failure the frame count is what it was before, or 0 for a frame count out
// of range.
void checkRead(const BvhReadResult& result, const Motion& motion, int frameCountBefore);

}  // namespace zev::fuzz
