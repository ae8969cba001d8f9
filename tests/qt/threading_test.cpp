// Workers writing the window while the GUI thread runs: the list and status
// bar catch up, and nothing touches a widget off the GUI thread.
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "qt_test_support.h"
#include "text/text_ops.h"
#include "ui/clock.h"
#include "ui/harvest.h"
#include "ui/harvest_control.h"
#include "ui/harvest_events.h"
#include "ui/result_list.h"

namespace lanyi::test {
namespace {

QString status_text(QtWindow& window, int part) { return window.widget()->status_label(part)->text(); }

TEST(ThreadingTest, WorkersFillTheListAndStatusWhileTheGuiRuns) {
    clear_qt_warnings();
    QtWindow window;
    RecordingEvents events(&window);
    window.set_events(&events);
    window.show();
    QTableView* view = window.widget()->list_view();

    constexpr int kRows = 10000;
    constexpr int kWriters = 4;
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWriters; ++w) {
        workers.emplace_back([&, w] {
            for (int i = w; i < kRows; i += kWriters) {
                window.list().append_company(GbkText("c" + std::to_string(i)), gbk("澜驿公司"));
                window.set_status_part(5, gbk("第") + int_to_gbk(i) + gbk("条"));
                window.set_status_part(i % kStatusParts, int_to_gbk(i));
                if (i % 100 == 0) {
                    window.set_button_enabled(Button::StartCompanies, (i / 100) % 2 == 0);
                    window.set_timer_period((i / 100) % 2 == 0 ? 10 : 0);
                    (void)window.current_row();
                    (void)window.is_checked(CheckBox::PromptExport);
                    (void)window.edit_text(EditBox::Threads);
                }
            }
            ++finished;
        });
    }
    // Meanwhile the user keeps selecting rows.
    ASSERT_TRUE(wait_until([&] {
        if (view->model()->rowCount() > 0) view->selectRow(view->model()->rowCount() / 2);
        return finished.load() == kWriters;
    }, 60000));
    for (auto& t : workers) t.join();

    std::thread last([&] {
        for (int part = 0; part < kStatusParts; ++part)
            window.set_status_part(part, GbkText("final " + std::to_string(part)));
        window.set_button_enabled(Button::StartCompanies, true);
        window.set_timer_period(0);
    });
    last.join();

    ASSERT_TRUE(wait_until([&] { return view->model()->rowCount() == kRows; }, 60000));
    for (int part = 0; part < kStatusParts; ++part)
        ASSERT_TRUE(wait_until([&] { return status_text(window, part) == QStringLiteral("final %1").arg(part); }))
            << part;
    EXPECT_TRUE(window.widget()->button(Button::StartCompanies)->isEnabled());
    EXPECT_EQ(window.timer_period(), 0);
    QTest::qWait(100);
    EXPECT_EQ(view->model()->index(kRows - 1, kColName).data().toString(), QStringLiteral("澜驿公司"));
    EXPECT_EQ(view->model()->index(kRows - 1, kColNumber).data().toString(),
              QString::number(kRows));
    for (const QString& warning : qt_warnings())
        EXPECT_FALSE(warning.contains(QStringLiteral("thread"), Qt::CaseInsensitive))
            << warning.toStdString();
}

class NoNetwork : public PageFetcher {
public:
    FetchResult fetch(const FetchRequest&) override { return {}; }
};

TEST(ThreadingTest, StatusShowsTheHarvestFiguresAndStopReturnsToIdle) {
    QtWindow window;
    NoNetwork network;
    SteadyClock clock;
    Harvest harvest(window, network, clock);
    HarvestEvents events(harvest, PhaseActions{});
    window.set_events(&events);
    show_active(window);

    harvest.set_inputs({gbk("五金"), gbk("配件"), gbk("广东省:广州市")});
    harvest.counters.pages = 12;
    harvest.counters.total = 356;
    harvest.counters.processed = 120;
    harvest.counters.filtered = 3;
    harvest.counters.valid = 117;
    harvest.state = kRunning;
    std::thread worker([&] {
        window.set_button_enabled(Button::StartCompanies, false);
        window.set_button_enabled(Button::StartContacts, false);
        item_timer_check(harvest);  // starts the elapsed timer
        refresh_status(harvest);
    });
    worker.join();

    const char* expected[] = {" 关键字:五金", "过滤字:配件", "地址:广东省:广州市", "共12页", "共356条",
                              "第120条",     "过滤3条",     "有效117条",          "状态:已开始"};
    for (int part = 0; part < 9; ++part)
        ASSERT_TRUE(wait_until([&] { return status_text(window, part) == QString::fromUtf8(expected[part]); }))
            << part << ": " << status_text(window, part).toStdString();
    ASSERT_TRUE(wait_until([&] { return !status_text(window, 9).isEmpty(); }));  // the elapsed time ticks
    EXPECT_TRUE(status_text(window, 9).endsWith(QStringLiteral("秒")));

    QTest::mouseClick(window.widget()->button(Button::Stop), Qt::LeftButton);
    ASSERT_TRUE(wait_until([&] { return status_text(window, 8) == QStringLiteral("状态:未开始"); }));
    EXPECT_EQ(window.timer_period(), 0);
    EXPECT_TRUE(window.widget()->button(Button::StartCompanies)->isEnabled());
    EXPECT_TRUE(window.widget()->button(Button::StartContacts)->isEnabled());
}

}  // namespace
}  // namespace lanyi::test
