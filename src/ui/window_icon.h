// The window's own icon: one 32 x 32 image in 16 colours, drawn here pixel by pixel so the
// program carries no image files: a server tower, an arrow and the Access database cylinder.
#pragma once

#include <QImage>

namespace ui {

// An indexed image with a 16-entry colour table; entry 0 is transparent.
QImage WindowIconImage();

}  // namespace ui
