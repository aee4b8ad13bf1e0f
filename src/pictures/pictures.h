#pragma once

#include <QIcon>
#include <QImage>

// The pictures and the font built into the program (Qt resources under :/pictures and :/fonts).

namespace zev {

// The about page's picture, 64 x 64.
QImage aboutPicture();
// The start-up splash, 200 x 200.
QImage splashPicture();
// The window and task-bar icon.
QIcon applicationIcon();

// Registers the built-in Liberation Sans, whose letters take the room of Arial's, and makes Arial
// (PANEL_FONT_FACE, also the dialog's font) resolve to it wherever the system has no Arial of its
// own, so that the dialog's labels and the panel's pages are laid out alike on every machine. Needs
// the application object. Returns whether the font is in use; a failure is reported once on
// standard error, and calling it again changes nothing.
bool useBuiltInFont();

}  // namespace zev
