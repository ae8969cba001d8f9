// Refuses typed characters other than the digits and "-" in the box it is
// installed on. Characters below code 32 (backspace) and keys held with Ctrl
// (the clipboard shortcuts) pass, and so does everything that is not typing:
// pasted or dropped text arrives unfiltered. Lives on the GUI thread; install one per box, owned by
// that box.
#pragma once

#include <QObject>
#include <QString>

namespace lanyi {

// True when every character of a typed text may enter a number box.
bool is_number_box_input(const QString& typed);

class DigitKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace lanyi
