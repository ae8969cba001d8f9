// What the window tests share: a QApplication for the whole run, a record of
// Qt's warnings, a WindowEvents that records, and helpers to find controls,
// wait for the event loop and answer modal dialogs from inside their loop.
#pragma once

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "qt/main_window.h"
#include "qt/qt_window.h"
#include "text/code_page.h"
#include "ui/window.h"

#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace lanyi::test {

// Warnings Qt printed since the last clear (cross-thread misuse shows here).
QStringList qt_warnings();
void clear_qt_warnings();

template <class T = QWidget>
T* find(QtWindow& window, const char* name) {
    return window.widget()->findChild<T*>(QString::fromUtf8(name));
}

// Shows the window and waits until it is the active window.
void show_active(QtWindow& window);

// Processes events until pred holds; false when the generous limit passes.
bool wait_until(const std::function<bool()>& pred, int limit_ms = 20000);

inline std::string utf8(const GbkText& text) { return gbk_to_utf8(text); }

// Records every event with what the window showed at that moment. GUI thread.
class RecordingEvents : public WindowEvents {
public:
    explicit RecordingEvents(QtWindow* window = nullptr) : window_(window) {}

    struct EditEvent {
        EditBox box;
        std::string mirror_text;  // edit_text() when the event came
        std::string widget_text;  // the box's widget when the event came
    };

    void window_created() override { ++created; }
    void edit_changed(EditBox box) override;
    void button_clicked(Button button) override { buttons.push_back(button); }
    void timer_tick() override { ++ticks; }
    void list_double_clicked() override { ++double_clicks; }
    void close_requested() override { ++close_requests; }

    int created = 0;
    std::vector<EditEvent> edits;
    std::vector<Button> buttons;
    int ticks = 0;
    int double_clicks = 0;
    int close_requests = 0;

private:
    QtWindow* window_;
};

// Acts on the next modal dialog from inside the dialog's own event loop,
// where the test body cannot run.
class DialogAnswerer {
public:
    explicit DialogAnswerer(std::function<void(QWidget*)> act);
    bool answered() const { return answered_; }

private:
    QTimer timer_;
    std::function<void(QWidget*)> act_;
    bool answered_ = false;
};

}  // namespace lanyi::test
