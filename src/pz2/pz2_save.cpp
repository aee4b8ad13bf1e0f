#include "pz2/pz2_save.h"

#include "files/file_system.h"
#include "pz2/pz2_writer.h"

namespace zev {

std::string bvhFileTitleOf(std::string_view path) {
  std::string_view name = path.substr(fileNameOffset(path));
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
