#include "app/bitmap_image.h"

#include <QPainter>

namespace launcher::app {

QImage ToQImage(const Bitmap& bitmap) {
    if (bitmap.empty())
        return {};
    const QImage view(reinterpret_cast<const uchar*>(bitmap.pixels().data()), bitmap.width(),
                      bitmap.height(), bitmap.width() * 4, QImage::Format_ARGB32);
    return view.copy();
}

QColor MeanColor(const Bitmap& image, const QRect& area) {
    return QColor::fromRgb(
        launcher::MeanColor(image, Rect{area.left(), area.top(), area.left() + area.width(),
                                        area.top() + area.height()}));
}

QColor MixColors(const QColor& a, const QColor& b, double part) {
    return QColor::fromRgb(launcher::MixColors(a.rgb(), b.rgb(), part));
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
