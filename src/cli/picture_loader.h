#pragma once

#include <string>

#include "cli/picture_module.h"

// Opens the page-picture module for a run that asks for pictures (POSIX): beside the program in the
// build folder, or where an install puts it, relative to the program. Keeps it open, and its
// drawing started, until the loader goes.

namespace zev {

class PictureLoader {
 public:
  PictureLoader() = default;
  ~PictureLoader();
  PictureLoader(const PictureLoader&) = delete;
  PictureLoader& operator=(const PictureLoader&) = delete;

  // Opens the module and starts its drawing; why not, for a person, when it cannot.
  std::string start();
  // Only after a successful start.
  PagePictures draw(const PagePictureRequest& request) const { return module_->drawPages(request); }

 private:
  const PictureModule* module_ = nullptr;
  void* session_ = nullptr;
};

}  // namespace zev
