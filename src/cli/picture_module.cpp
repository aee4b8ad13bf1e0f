#include "cli/picture_module.h"

#include "pictures/page_pictures.h"

namespace {

void* startDrawing() { return new zev::PictureSession(); }

void endDrawing(void* session) { delete static_cast<zev::PictureSession*>(session); }

constexpr zev::PictureModule MODULE{startDrawing, endDrawing, zev::drawPagePictures};

}  // namespace

extern "C" const zev::PictureModule* zevPictureModule() { return &MODULE; }
