#pragma once

#include "skin/region.h"

#include <windows.h>

namespace launcher::app {

// A skin region as a GDI region for SetWindowRgn (which then owns it): made
// in one piece from the region's rectangles, since a colour-keyed outline
// can hold many thousands. None when the system refuses it.
HRGN ToHrgn(const Region& region);

} // namespace launcher::app
