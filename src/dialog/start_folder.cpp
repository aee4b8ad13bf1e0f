#include "dialog/start_folder.h"

#include <cstdint>
#include <system_error>

namespace zev {

bool canStartIn(const std::filesystem::path& folder) {
  std::error_code error;
  if (folder.empty() || !std::filesystem::is_directory(folder, error)) return false;
  const std::filesystem::directory_iterator listing(folder, error);
  if (error) return false;
  // A pseudo file system such as /proc holds no room: its capacity is 0, or unknown (all bits
  // set, as some standard libraries report it).
  const std::filesystem::space_info room = std::filesystem::space(folder, error);
  constexpr auto UNKNOWN = static_cast<std::uintmax_t>(-1);
  return !error && room.capacity > 0 && room.capacity != UNKNOWN;
}

void StartFolder::fileChosen(const std::filesystem::path& file) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(file, error);
  const std::filesystem::path folder = (error ? file : absolute).lexically_normal().parent_path();
  if (canStartIn(folder)) folder_ = folder;
}

std::filesystem::path StartFolder::folder(std::span<const std::filesystem::path> fallbacks) const {
  if (canStartIn(folder_)) return folder_;
  for (const std::filesystem::path& fallback : fallbacks) {
    if (canStartIn(fallback)) return fallback;
  }
  return {};
}

}  // namespace zev
