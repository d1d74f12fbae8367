#pragma once

#include "skin/bitmap.h"

#include <QImage>

namespace launcher::app {

// A copy of a skin bitmap as a Qt image; both keep pixels as 0xAARRGGBB.
QImage ToQImage(const Bitmap& bitmap);

} // namespace launcher::app
