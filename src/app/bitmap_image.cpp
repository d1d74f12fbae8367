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
