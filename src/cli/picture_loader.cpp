#include "cli/picture_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace zev {

namespace {

// Where the module may stand, beside the program first.
std::filesystem::path findModule(std::string& why) {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    why = "the program's own folder is unknown: " + error.message();
    return {};
  }
  const std::filesystem::path folder = program.parent_path();
  for (const std::filesystem::path& place :
       {folder / ZEV_PICTURE_MODULE, folder / ZEV_PICTURE_MODULE_FOLDER / ZEV_PICTURE_MODULE}) {
    if (std::filesystem::exists(place, error)) return place;
  }
  why = "the page pictures' module " ZEV_PICTURE_MODULE " is in neither " + folder.string() +
        " nor " + (folder / ZEV_PICTURE_MODULE_FOLDER).lexically_normal().string();
  return {};
}

}  // namespace

PictureLoader::~PictureLoader() {
  // The module stays loaded to the end: Qt is not made to be unloaded.
  if (session_ != nullptr) module_->endDrawing(session_);
}

std::string PictureLoader::start() {
  std::string why;
  const std::filesystem::path path = findModule(why);
  if (path.empty()) return why;
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return dlerror();
  void* entry = dlsym(library, PICTURE_MODULE_ENTRY);
  if (entry == nullptr) return dlerror();
  module_ = reinterpret_cast<PictureModuleEntry*>(entry)();
  session_ = module_->startDrawing();
  return {};
}

}  // namespace zev
