#include "files/file_system.h"

#include <cerrno>

namespace zev {

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::error_code lastSystemError() { return {errno, std::generic_category()}; }

}  // namespace zev
