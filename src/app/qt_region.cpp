#include "app/qt_region.h"

#include <QRect>
#include <vector>

namespace launcher::app {

QRegion ToQRegion(const Region& region) {
    std::vector<QRect> rects;
    rects.reserve(region.Rects().size());
    for (const Rect& rect : region.Rects())
        rects.emplace_back(rect.left, rect.top, static_cast<int>(rect.width()),
                           static_cast<int>(rect.height()));
    QRegion result;
    result.setRects(rects.data(), static_cast<int>(rects.size()));
    return result;
}

} // namespace launcher::app
