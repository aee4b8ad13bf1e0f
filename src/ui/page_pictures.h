#pragma once

#include <memory>
#include <string>

class QGuiApplication;

// Pictures of the display panel's pages for the loaded motion, written as PNG files without a
// window, so that animators can look at the secondary motion without opening the dialog.

namespace zev {

// Drawing text needs a Qt GUI application object. A tool without a window creates one of these
// at the start of main, before any picture is written, and keeps it alive until it has written
// its last picture. Its application runs on Qt's offscreen platform, so no display is needed; if
// an application object already exists, it does nothing.
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
// PANEL_WIDTH x PANEL_HEIGHT, from the motion in the store. Creates dir if needed. The display
// panel's own state (panelMode, graphPage) is left as it was. On failure returns false and puts
// the reason into *error (when error is not null).
bool writePagePictures(const std::string& dir, const std::string& title, bool stillMode,
                       int gCoefficient, std::string* error);

}  // namespace zev
