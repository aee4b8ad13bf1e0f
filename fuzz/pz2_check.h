#pragma once

#include <string>
#include <string_view>

// Reads a pose file back as the writer lays it out: the header with its frame count, eight actor
// and prop blocks, 25 channels, each name once in its block (Poser keeps one channel per name),
// one key per frame with ascending frame indices and a value of six decimals, signed only in a
// rotation channel. The fuzz targets use it to tell a complete, loadable file from one
// that only looks finished.

namespace zev::fuzz {

inline constexpr int PZ2_BLOCKS = 8;
inline constexpr int PZ2_CHANNELS = 25;

// Empty when text is a complete pose file of frameCount keys per channel; otherwise what is wrong
// and where.
std::string checkPz2Text(std::string_view text, int frameCount);

}  // namespace zev::fuzz
