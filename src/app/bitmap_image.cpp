#include "app/bitmap_image.h"

namespace launcher::app {

QImage ToQImage(const Bitmap& bitmap) {
    if (bitmap.empty())
        return {};
    const QImage view(reinterpret_cast<const uchar*>(bitmap.pixels().data()), bitmap.width(),
                      bitmap.height(), bitmap.width() * 4, QImage::Format_ARGB32);
    return view.copy();
}

} // namespace launcher::app
