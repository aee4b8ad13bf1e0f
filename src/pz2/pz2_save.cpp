#include "pz2/pz2_save.h"

#include "pz2/pz2_writer.h"

namespace zev {

std::string bvhFileTitleOf(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

std::string proposedPz2Name(std::string_view bvhFileTitle) {
  return std::string(bvhFileTitle) + ".pz2";
}

SaveResult savePz2File(const std::filesystem::path& path, const MotionStore& store) {
  return saveThroughTemporaryFile(path, [&store](TextSink& sink) { writePz2File(sink, store); });
}

}  // namespace zev
