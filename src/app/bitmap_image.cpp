#include "app/bitmap_image.h"

#include <QPainter>
#include <cmath>

namespace launcher::app {

QImage ToQImage(const Bitmap& bitmap) {
    if (bitmap.empty())
        return {};
    const QImage view(reinterpret_cast<const uchar*>(bitmap.pixels().data()), bitmap.width(),
                      bitmap.height(), bitmap.width() * 4, QImage::Format_ARGB32);
    return view.copy();
}

QColor MeanColor(const Bitmap& image, const QRect& area) {
    const Rect inside =
        Rect{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()}
            .intersect(image.bounds());
    std::uint64_t red = 0, green = 0, blue = 0, count = 0;
    for (int y = inside.top; y < inside.bottom; ++y)
        for (int x = inside.left; x < inside.right; ++x, ++count) {
            const std::uint32_t pixel = image.pixel(x, y);
            red += pixel >> 16 & 0xFF;
            green += pixel >> 8 & 0xFF;
            blue += pixel & 0xFF;
        }
    if (count == 0)
        return QColor(Qt::black);
    return QColor(static_cast<int>(red / count), static_cast<int>(green / count),
                  static_cast<int>(blue / count));
}

QColor MixColors(const QColor& a, const QColor& b, double part) {
    const auto mix = [part](int x, int y) {
        return static_cast<int>(std::lround(x + (y - x) * part));
    };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

QIcon LauncherIcon(const QImage& background) {
    QIcon icon;
    if (background.isNull())
        return icon;
    for (const int side : {16, 32, 64}) {
        QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
        square.fill(Qt::transparent);
        const QImage scaled =
            background.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&square);
        painter.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(square));
    }
    return icon;
}

} // namespace launcher::app
