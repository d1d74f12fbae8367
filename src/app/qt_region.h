#pragma once

#include "skin/region.h"

#include <QRegion>

namespace launcher::app {

// A skin region as a Qt region, for a window's mask. The skin keeps its
// rectangles in banded form, so they are handed over in one piece rather than
// merged one by one (a colour-keyed outline can hold many thousands).
QRegion ToQRegion(const Region& region);

} // namespace launcher::app
