#pragma once

#include "pages/panel_state.h"

// The page pictures of --graphs as a module of their own, which the native zev-convert opens only
// when a run asks for pictures: they need Qt, and a run without them should not load it. The
// module and the program come from one build, so C++ types pass between them.

namespace zev {

struct PictureModule {
  // Makes what drawing needs on the calling thread (Qt's application object); returns it for
  // endDrawing, before which every picture is drawn.
  void* (*startDrawing)();
  void (*endDrawing)(void* session);
  PagePictures (*drawPages)(const PagePictureRequest& request);
};

// The name of the module's one entry, a function that returns its PictureModule.
inline constexpr char PICTURE_MODULE_ENTRY[] = "zevPictureModule";
using PictureModuleEntry = const PictureModule*();

}  // namespace zev
