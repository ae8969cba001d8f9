// A one-line label that sets its text on a grid of half-width cells: an ASCII
// character takes one cell, any other character two, whatever the font's own
// widths. A caption spaced out with blanks so each word stands by the control
// it names keeps that arrangement under fonts whose spaces are narrower than
// half a Chinese character. GUI thread only, like any widget.
#pragma once

#include <QLabel>

namespace lanyi {

class GridLabel : public QLabel {
public:
    static constexpr int kCellWidth = 6;

    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace lanyi
