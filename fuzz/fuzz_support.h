#pragma once

#include <string_view>

#include "bvh/bvh_reader.h"

// What both fuzz targets share: a clean store for every input, so that a finding reproduces from
// its file alone, and the checks that hold for any read.

namespace zev::fuzz {

// Zeroes the motion store, as at program start.
void resetStore();

// Reports a broken invariant with the input's context and aborts, so that libFuzzer keeps the
// input as a finding.
[[noreturn]] void violation(std::string_view what);

// The status is one of the reader's seven; a failure has its message; on success the store holds
// a frame count in range, a frame rate that rounds to 12 to 60 and no value that is not a number;
// after a failure the frame count is what it was before, or 0 for a frame count out of range.
void checkRead(BvhReadStatus status, int frameCountBefore);

}  // namespace zev::fuzz
