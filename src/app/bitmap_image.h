#pragma once

#include "skin/bitmap.h"

#include <QColor>
#include <QIcon>
#include <QImage>

namespace launcher::app {

// A copy of a skin bitmap as a Qt image; both keep pixels as 0xAARRGGBB.
QImage ToQImage(const Bitmap& bitmap);

// The launcher's window and notification-area icon: the skin's background,
// scaled into a square with its proportions kept, so every publisher's
// launcher is told apart by its own look.
QIcon LauncherIcon(const QImage& background);

// The average colour of the image inside `area` of it; black when the area
// holds none of its pixels.
QColor MeanColor(const Bitmap& image, const QRect& area);

// `a` with the share `part` (0 to 1) of `b` mixed in.
QColor MixColors(const QColor& a, const QColor& b, double part);

} // namespace launcher::app
