#pragma once

#include <memory>

#include "pages/panel_state.h"
#include "store/motion_store.h"

class QGuiApplication;

// Pictures of the display panel's pages for a motion, encoded as PNG files without a window, so
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

// The pages of PAGE_PICTURE_NAMES for the request's motion as PNG files, each PANEL_WIDTH x
// PANEL_HEIGHT, as a fresh panel draws them. The caller saves them.
PagePictures drawPagePictures(const PagePictureRequest& request);

}  // namespace zev
