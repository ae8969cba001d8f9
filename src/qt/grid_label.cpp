#include "qt/grid_label.h"

#include <QPainter>

namespace lanyi {

void GridLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect();
    const QString line = text();
    int cells = 0;
    int i = 0;
    while (i < line.size()) {
        if (line[i] == u' ') {
            ++cells;
            ++i;
            continue;
        }
        const int word_start = i;
        const int word_cells = cells;
        while (i < line.size() && line[i] != u' ') {
            cells += line[i].unicode() < 0x80 ? 1 : 2;
            ++i;
        }
        QRect box = area;
        box.setLeft(area.left() + word_cells * kCellWidth);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         line.mid(word_start, i - word_start));
    }
}

}  // namespace lanyi
