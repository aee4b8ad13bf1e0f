#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "files/safe_save.h"
#include "store/motion_store.h"

class QGuiApplication;

// Pictures of the display panel's pages for a motion, written as PNG files without a window, so
// that animators can look at the secondary motion without opening the dialog.

namespace zev {

// Drawing text needs a Qt GUI application object. A tool without a window creates one of these
// at the start of main, before any picture is drawn, and keeps it alive until it has drawn its
// last picture. Its application runs on Qt's offscreen platform, so no display is needed; if an
// application object already exists, it does nothing.
class PictureSession {
 public:
  PictureSession();
  ~PictureSession();
  PictureSession(const PictureSession&) = delete;
  PictureSession& operator=(const PictureSession&) = delete;

 private:
  int argc_ = 3;
  char name_[12] = "zev";
  char platformOption_[12] = "-platform";
  char platform_[12] = "offscreen";
  char* argv_[4] = {name_, platformOption_, platform_, nullptr};
  std::unique_ptr<QGuiApplication> application_;
};

// Writes dir/title-chest.png, -hair.png, -ring.png (the three graph pages, slope marks when
// stillMode is false) and -report.png (the report page for title and gCoefficient), each
// PANEL_WIDTH x PANEL_HEIGHT, for the motion in store, as a fresh panel draws them. Creates dir if
// needed. Each picture is saved whole or not at all; the result names the first that failed.
SaveResult writePagePictures(const std::filesystem::path& dir, const std::string& title,
                             const MotionStore& store, bool stillMode, int gCoefficient);

}  // namespace zev
