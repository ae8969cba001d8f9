#include "qt/digit_key_filter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace lanyi {

bool is_number_box_input(const QString& typed) {
    for (QChar c : typed) {
        if (c.unicode() < 32) continue;
        if (c == u'-' || (c >= u'0' && c <= u'9')) continue;
        return false;
    }
    return true;
}

bool DigitKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // A key held with Ctrl is a command (paste, undo, select all), not a
        // typed character, whatever text the platform attaches to it.
        if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
        if (!is_number_box_input(key->text())) return true;
    } else if (event->type() == QEvent::InputMethod) {
        // Text committed by an input method is typed text too.
        auto* im = static_cast<QInputMethodEvent*>(event);
        if (!is_number_box_input(im->commitString())) return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace lanyi
