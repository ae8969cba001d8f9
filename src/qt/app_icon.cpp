#include "qt/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lanyi {

namespace {

// A teal tile holding a white card with three lines of text and a golden
// magnifier: a harvested list. Drawn in a 64-unit space and scaled.
QPixmap draw_icon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, QColor(0x1f, 0x9e, 0x9a));
    tile.setColorAt(1, QColor(0x13, 0x6c, 0x77));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    p.setBrush(QColor(0xfb, 0xfb, 0xf7));
    p.drawRoundedRect(QRectF(12, 11, 32, 42), 4, 4);
    p.setBrush(QColor(0x13, 0x6c, 0x77));
    const double line_widths[] = {22, 18, 14};
    for (int i = 0; i < 3; ++i) p.drawRoundedRect(QRectF(17, 19 + i * 9, line_widths[i], 4), 2, 2);

    QPen rim(QColor(0xf2, 0xb1, 0x34), size >= 32 ? 5.5 : 7);
    rim.setCapStyle(Qt::RoundCap);
    p.setPen(rim);
    p.setBrush(QColor(0xe6, 0xf6, 0xf5, 215));
    p.drawEllipse(QPointF(42, 40), 10, 10);
    p.drawLine(QPointF(49.5, 47.5), QPointF(56, 54));
    return pixmap;
}

}  // namespace

QIcon app_icon() {
    QIcon icon;
    for (int size : {64, 32, 16}) icon.addPixmap(draw_icon(size));
    return icon;
}

}  // namespace lanyi
