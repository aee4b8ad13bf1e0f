#pragma once

#include "win32/dialog_colours.h"
#include "win32/windows_api.h"

// The start-up picture (the splash template and its picture), centred on the screen, closed after
// SPLASH_MILLISECONDS or at once by a left double-click anywhere on it (or by Enter, Escape or the
// close command, as any dialog).

namespace zev {

// Shows the splash modally; returns when it has closed.
void showSplash(HINSTANCE instance, const DialogColours& colours);

}  // namespace zev
