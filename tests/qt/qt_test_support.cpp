#include "qt_test_support.h"

#include <QLineEdit>
#include <gtest/gtest.h>

#include <memory>

namespace lanyi::test {

namespace {

std::mutex warnings_mutex;
QStringList warnings;

void record_message(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    std::lock_guard lock(warnings_mutex);
    warnings.append(message);
}

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "qt_tests";
        static char* argv[] = {name, nullptr};
        qInstallMessageHandler(record_message);
        app_ = std::make_unique<QApplication>(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QStringList qt_warnings() {
    std::lock_guard lock(warnings_mutex);
    return warnings;
}

void clear_qt_warnings() {
    std::lock_guard lock(warnings_mutex);
    warnings.clear();
}

void show_active(QtWindow& window) {
    window.show();
    window.widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.widget(), 10000));
}

bool wait_until(const std::function<bool()>& pred, int limit_ms) {
    return QTest::qWaitFor(pred, limit_ms);
}

void RecordingEvents::edit_changed(EditBox box) {
    EditEvent event{box, {}, {}};
    if (window_) {
        event.mirror_text = utf8(window_->edit_text(box));
        event.widget_text = window_->widget()->edit(box)->text().toStdString();
    }
    edits.push_back(event);
}

DialogAnswerer::DialogAnswerer(std::function<void(QWidget*)> act) : act_(std::move(act)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || answered_) return;
        answered_ = true;
        timer_.stop();
        act_(dialog);
    });
    timer_.start(10);
}

}  // namespace lanyi::test
