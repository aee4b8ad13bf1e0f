#pragma once

#include <QIcon>
#include <QImage>

// The pictures built into the program (Qt resources under :/pictures).

namespace zev {

// The about page's picture, 64 x 64.
QImage aboutPicture();
// The start-up splash, 200 x 200.
QImage splashPicture();
// The window and task-bar icon.
QIcon applicationIcon();

}  // namespace zev
