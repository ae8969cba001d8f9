// Events the user raises (buttons, Esc, the close box, double clicks), the
// elapsed timer, the selection, the status parts, the clipboard and URLs.
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "qt_test_support.h"
#include "ui/result_list.h"

namespace lanyi::test {
namespace {

class WindowEventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.set_events(&events);
        window.set_on_closed([this] { ++closed; });
        show_active(window);
    }
    QTableView* view() { return window.widget()->list_view(); }
    void add_rows(int n) {
        for (int i = 0; i < n; ++i)
            window.list().append_company(GbkText("id" + std::to_string(i)), GbkText("name"));
        ASSERT_TRUE(wait_until([&] { return view()->model()->rowCount() == window.list().row_count(); }));
    }

    QtWindow window;
    RecordingEvents events{&window};
    int closed = 0;
};

TEST_F(WindowEventsTest, ShowRaisesWindowCreatedOnce) { EXPECT_EQ(events.created, 1); }

TEST_F(WindowEventsTest, EachButtonRaisesItsOwnClick) {
    for (int i = 0; i <= static_cast<int>(Button::Export); ++i)
        QTest::mouseClick(window.widget()->button(Button(i)), Qt::LeftButton);
    ASSERT_EQ(events.buttons.size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(events.buttons[i], Button(i));
}

TEST_F(WindowEventsTest, DisabledButtonRaisesNothing) {
    std::thread worker([&] { window.set_button_enabled(Button::StartCompanies, false); });
    worker.join();
    EXPECT_FALSE(window.is_button_enabled(Button::StartCompanies));
    QPushButton* button = window.widget()->button(Button::StartCompanies);
    ASSERT_TRUE(wait_until([&] { return !button->isEnabled(); }));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(events.buttons.empty());
    window.set_button_enabled(Button::StartCompanies, true);
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(WindowEventsTest, CheckBoxStateIsSeenByTheInterface) {
    QCheckBox* box = window.widget()->check(CheckBox::RequireMobile);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    EXPECT_TRUE(window.is_checked(CheckBox::RequireMobile));
    box->setChecked(false);
    EXPECT_FALSE(window.is_checked(CheckBox::RequireMobile));
}

// How the window is asked to close; each way closes it the same.
struct CloseCase {
    const char* name;
    std::function<void(QtWindow&)> act;
};

TEST_F(WindowEventsTest, EscAndTheCloseBoxCloseTheWindow) {
    const CloseCase cases[] = {
        {"Esc on the window", [](QtWindow& w) { QTest::keyClick(w.widget(), Qt::Key_Escape); }},
        {"Esc in an edit box",
         [](QtWindow& w) { QTest::keyClick(w.widget()->edit(EditBox::Keyword), Qt::Key_Escape); }},
        {"Esc in the list",
         [](QtWindow& w) { QTest::keyClick(w.widget()->list_view(), Qt::Key_Escape); }},
        {"Esc on a check box",
         [](QtWindow& w) { QTest::keyClick(w.widget()->check(CheckBox::RequireQQ), Qt::Key_Escape); }},
        {"close box", [](QtWindow& w) { w.widget()->close(); }},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        QtWindow w;
        RecordingEvents e(&w);
        int closes = 0;
        w.set_events(&e);
        w.set_on_closed([&] { ++closes; });
        show_active(w);
        c.act(w);
        EXPECT_EQ(e.close_requests, 1);
        EXPECT_EQ(closes, 1);
        EXPECT_FALSE(w.widget()->isVisible());
        EXPECT_TRUE(w.closing());
    }
}

TEST_F(WindowEventsTest, ClosedWindowRaisesNoMoreEvents) {
    window.close();
    window.close();
    EXPECT_EQ(events.close_requests, 1);
    EXPECT_EQ(closed, 1);
    window.widget()->button(Button::Stop)->click();
    window.set_edit_text(EditBox::Threads, GbkText("5"));
    EXPECT_TRUE(events.buttons.empty());
    EXPECT_TRUE(events.edits.empty());
}

TEST_F(WindowEventsTest, OtherKeysDoNotClose) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_F1})
        QTest::keyClick(window.widget(), key);
    EXPECT_EQ(events.close_requests, 0);
    EXPECT_TRUE(window.widget()->isVisible());
    EXPECT_TRUE(events.buttons.empty());  // no default button
}

TEST_F(WindowEventsTest, LeftDoubleClickAnywhereInTheList) {
    add_rows(2);
    QWidget* viewport = view()->viewport();
    const QPoint on_row = view()->visualRect(view()->model()->index(1, 2)).center();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, on_row);
    EXPECT_EQ(events.double_clicks, 1);
    EXPECT_EQ(window.current_row(), 1);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(20, viewport->height() - 10));
    EXPECT_EQ(events.double_clicks, 2);
    QTest::mouseDClick(viewport, Qt::RightButton, {}, on_row);
    EXPECT_EQ(events.double_clicks, 2);
}

TEST_F(WindowEventsTest, CurrentRowFollowsTheSelectedCompany) {
    EXPECT_EQ(window.current_row(), -1);
    add_rows(5);
    view()->selectRow(3);
    EXPECT_EQ(window.current_row(), 3);
    int seen_by_worker = -2;
    std::thread([&] { seen_by_worker = window.current_row(); }).join();
    EXPECT_EQ(seen_by_worker, 3);

    // Rows before it go: the same company stays selected at its new index.
    window.list().delete_row(0);
    window.list().delete_row(0);
    ASSERT_TRUE(wait_until([&] { return view()->model()->rowCount() == 3; }));
    EXPECT_EQ(window.current_row(), 1);
    EXPECT_EQ(utf8(window.list().get_cell(window.current_row(), kColId)), "id3");
    EXPECT_EQ(view()->columnWidth(kColName), 200);  // a reset keeps the widths

    // The selected row itself goes: nothing is selected.
    window.list().delete_row(1);
    ASSERT_TRUE(wait_until([&] { return view()->model()->rowCount() == 2; }));
    EXPECT_EQ(window.current_row(), -1);
}

TEST_F(WindowEventsTest, AppendedRowsKeepTheSelection) {
    add_rows(3);
    view()->selectRow(1);
    add_rows(3);
    EXPECT_EQ(window.current_row(), 1);
}

TEST_F(WindowEventsTest, StatusPartsOutsideTheBarChangeNothing) {
    std::vector<QString> before;
    for (int i = 0; i < kStatusParts; ++i) before.push_back(window.widget()->status_label(i)->text());
    for (int part : {-1, 10, 1000}) {
        window.set_status_part(part, GbkText("x"));
        EXPECT_TRUE(window.status_part(part).empty()) << part;
    }
    for (int i = 0; i < kStatusParts; ++i) EXPECT_EQ(window.widget()->status_label(i)->text(), before[i]);
    window.set_status_part(9, gbk("正在开始"));
    EXPECT_EQ(window.widget()->status_label(9)->text(), QStringLiteral("正在开始"));
}

TEST_F(WindowEventsTest, TimerPeriodStartsRestartsAndStops) {
    auto* timer = window.widget()->findChild<QTimer*>(QStringLiteral("elapsed_timer"));
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());

    window.set_timer_period(10);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 10);
    EXPECT_EQ(window.timer_starts(), 1);
    window.set_timer_period(10);  // the current period: nothing happens
    EXPECT_EQ(window.timer_starts(), 1);
    ASSERT_TRUE(wait_until([&] { return events.ticks >= 3; }));

    window.set_timer_period(20);
    EXPECT_EQ(window.timer_starts(), 2);
    EXPECT_EQ(timer->interval(), 20);

    window.set_timer_period(-5);
    EXPECT_EQ(window.timer_period(), 0);
    EXPECT_FALSE(timer->isActive());
    window.set_timer_period(0);
    EXPECT_EQ(window.timer_starts(), 2);
}

TEST_F(WindowEventsTest, TimerSetFromAWorkerRunsOnTheGuiThread) {
    auto* timer = window.widget()->findChild<QTimer*>(QStringLiteral("elapsed_timer"));
    std::thread([&] {
        window.set_timer_period(10);
        EXPECT_EQ(window.timer_period(), 10);
    }).join();
    ASSERT_TRUE(wait_until([&] { return timer->isActive(); }));
    std::thread([&] { window.set_timer_period(0); }).join();
    ASSERT_TRUE(wait_until([&] { return !timer->isActive(); }));
    EXPECT_FALSE(qt_warnings().join(' ').contains(QStringLiteral("thread")));
}

TEST_F(WindowEventsTest, ClipboardGetsTheTextFromAnyThread) {
    std::thread([&] { window.set_clipboard(gbk("公司名,手机\r\n澜驿,138\r\n")); }).join();
    ASSERT_TRUE(wait_until(
        [] { return QGuiApplication::clipboard()->text() == QStringLiteral("公司名,手机\r\n澜驿,138\r\n"); }));
}

// Stands in for the browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

TEST_F(WindowEventsTest, OnlyWebAddressesAreOpened) {
    UrlCatcher catcher;
    for (const char* scheme : {"http", "https", "file", "javascript", "mailto"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");

    for (const char* url : {"file:///etc/passwd", "javascript:alert(1)", "mailto:a@b.test", "", "http://",
                            "not a url"})
        window.open_url(GbkText(url));
    window.open_url(GbkText("http://acme.shop.lanyi.test/shop/company.html"));
    std::thread([&] { window.open_url(GbkText("https://acme.shop.lanyi.test/")); }).join();
    ASSERT_TRUE(wait_until([&] { return catcher.opened.size() >= 2; }));
    QTest::qWait(50);
    for (const char* scheme : {"http", "https", "file", "javascript", "mailto"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));

    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0], QUrl("http://acme.shop.lanyi.test/shop/company.html"));
    EXPECT_EQ(catcher.opened[1], QUrl("https://acme.shop.lanyi.test/"));
}

}  // namespace
}  // namespace lanyi::test

#include "window_events_test.moc"
