#pragma once

#include "skin/bitmap.h"

#include <QIcon>
#include <QImage>

namespace launcher::app {

// A copy of a skin bitmap as a Qt image; both keep pixels as 0xAARRGGBB.
QImage ToQImage(const Bitmap& bitmap);

// The launcher's window and notification-area icon: the skin's background,
// scaled into a square with its proportions kept, so every publisher's
// launcher is told apart by its own look.
QIcon LauncherIcon(const QImage& background);

} // namespace launcher::app
