#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "harvest_fixture.h"
#include "text/text_ops.h"
#include "ui/harvest_control.h"
#include "ui/list_upkeep.h"
#include "ui/status_texts.h"

namespace lanyi {
namespace {

// Appenders (every third id blank, as rejected rows are), a compactor, and a
// contact writer that picks rows by index, keeps their key and writes through
// it. A write must land on the company it read, whatever compaction did.
TEST(ResultListConcurrency, AppendsCompactionsAndKeyedWritesStayConsistent) {
    constexpr int kAppenders = 4;
    constexpr int kPerAppender = 1500;
    ResultList list;
    std::atomic<int> appenders_left{kAppenders};

    std::vector<std::thread> threads;
    for (int t = 0; t < kAppenders; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerAppender; ++i) {
                const std::string id = i % 3 == 0 ? "" : std::to_string(t) + "-" + std::to_string(i);
                list.append_company(GbkText(id), GbkText(id + "-name"));
            }
            --appenders_left;
        });
    }
    threads.emplace_back([&] {
        while (appenders_left.load() > 0) compact_list(list);
    });
    threads.emplace_back([&] {
        std::mt19937 random(7);
        while (appenders_left.load() > 0) {
            const int rows = list.row_count();
            if (rows == 0) continue;
            const RowKey key = list.key_of(static_cast<int>(random() % rows));
            const GbkText id = list.get_cell(key, kColId);
            list.set_cell(key, kColContact, id);  // false when compaction removed it
        }
    });
    for (std::thread& t : threads) t.join();
    compact_list(list);

    const int kept_per_appender = kPerAppender - (kPerAppender + 2) / 3;
    ASSERT_EQ(list.row_count(), kAppenders * kept_per_appender);
    RowKey previous = 0;
    for (int row = 0; row < list.row_count(); ++row) {
        const std::vector<GbkText> cells = list.row_cells(row);
        ASSERT_EQ(cells[kColNumber], int_to_gbk(row + 1));
        ASSERT_FALSE(cells[kColId].empty());
        ASSERT_EQ(cells[kColName], cells[kColId] + GbkText("-name"));
        if (!cells[kColContact].empty()) {
            ASSERT_EQ(cells[kColContact], cells[kColId]) << row;
        }
        ASSERT_GT(list.key_of(row), previous);
        previous = list.key_of(row);
    }
}

// Workers count, refresh and run the per-item check while the Stop button
// fires in the middle. Once all are done the window must show the final
// figures, the idle state and a stopped timer, whatever the interleaving.
TEST_F(HarvestTest, StatusAndTimerSettleIdleAfterAStopRacingWithWorkers) {
    constexpr int kWorkers = 4;
    constexpr int kItems = 300;
    make_running();
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&] {
            for (int i = 0; i < kItems; ++i) {
                harvest.counters.processed.fetch_add(1);
                harvest.list().append_company(GbkText("id"), GbkText("n"));
                refresh_status(harvest);
                item_timer_check(harvest);
            }
        });
    }
    while (harvest.counters.processed.load() < kItems) std::this_thread::yield();
    window.click(Button::Stop);
    for (std::thread& t : workers) t.join();

    EXPECT_EQ(window.status_part(5), gbk("第" + std::to_string(kWorkers * kItems) + "条"));
    EXPECT_EQ(window.status_part(8), gbk("状态:未开始"));
    EXPECT_EQ(window.timer_period(), 0);
    EXPECT_TRUE(window.is_button_enabled(Button::StartCompanies));
    EXPECT_EQ(harvest.list().row_count(), kWorkers * kItems);
}

TEST(HeadlessWindowConcurrency, WritersAndReadersOnManyThreads) {
    HeadlessWindow window;
    std::atomic<int> heard{0};
    window.set_status_listener([&](int, const GbkText&) { ++heard; });
    window.set_question_policy([](const GbkText&, const GbkText&) { return true; });
    constexpr int kThreads = 4;
    constexpr int kRounds = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                window.set_status_part(i % kStatusParts, GbkText(std::to_string(t)));
                window.set_timer_period(i % 2 == 0 ? 10 : 0);
                window.set_clipboard(GbkText(std::to_string(i)));
                window.set_edit_text(EditBox::Keyword, GbkText("k"));
                (void)window.status_part(t);
                (void)window.is_button_enabled(Button::Stop);
                if (i % 50 == 0) window.ask_yes_no(GbkText("q"), GbkText("c"));
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(heard.load(), kThreads * kRounds);
    EXPECT_EQ(window.dialogs().size(), static_cast<std::size_t>(kThreads * kRounds / 50));
}

// A refresh that read its figures before another refresh must not write over
// the newer figures. The first refresh is held after its first write; without
// the status lock the second would finish meanwhile and be overwritten.
TEST_F(HarvestTest, ALaterRefreshIsNeverOverwrittenByAnEarlierOne) {
    harvest.counters.processed = 1;
    std::promise<void> first_paused;
    std::promise<void> second_done;
    std::shared_future<void> second_finished = second_done.get_future().share();
    std::atomic<bool> first_write{true};
    window.set_status_listener([&](int part, const GbkText&) {
        if (part != 0 || !first_write.exchange(false)) return;
        first_paused.set_value();
        // Long enough for an unguarded second refresh to finish; a guarded one
        // waits for this one, so the pause simply runs out.
        second_finished.wait_for(std::chrono::milliseconds(200));
    });
    std::thread first([&] { refresh_status(harvest); });
    first_paused.get_future().wait();
    harvest.counters.processed = 2;
    std::thread second([&] {
        refresh_status(harvest);
        second_done.set_value();
    });
    first.join();
    second.join();
    EXPECT_EQ(window.status_part(5), gbk("第2条"));
}

// Passes every call to a HeadlessWindow; after_timer_write runs once a timer
// write is done, on the writing thread.
class TimerHookWindow final : public Window {
public:
    HeadlessWindow inner;
    std::function<void(int)> after_timer_write;

    void set_timer_period(int ms) override {
        inner.set_timer_period(ms);
        if (after_timer_write) after_timer_write(ms);
    }
    int timer_period() override { return inner.timer_period(); }
    ResultList& list() override { return inner.list(); }
    int current_row() override { return inner.current_row(); }
    void set_status_part(int part, const GbkText& text) override { inner.set_status_part(part, text); }
    GbkText status_part(int part) override { return inner.status_part(part); }
    GbkText edit_text(EditBox box) override { return inner.edit_text(box); }
    void set_edit_text(EditBox box, const GbkText& text) override { inner.set_edit_text(box, text); }
    bool is_checked(CheckBox box) override { return inner.is_checked(box); }
    void set_button_enabled(Button b, bool enabled) override { inner.set_button_enabled(b, enabled); }
    bool is_button_enabled(Button b) override { return inner.is_button_enabled(b); }
    void show_message(const GbkText& t, const GbkText& c) override { inner.show_message(t, c); }
    bool ask_yes_no(const GbkText& t, const GbkText& c) override { return inner.ask_yes_no(t, c); }
    void set_clipboard(const GbkText& text) override { inner.set_clipboard(text); }
    std::optional<std::string> choose_save_path(const GbkText& name, const std::string& folder) override {
        return inner.choose_save_path(name, folder);
    }
    void open_url(const GbkText& url) override { inner.open_url(url); }
};

// A worker's per-item check that slips in right after the stop turned the
// timer off must still leave it off: it either sees the idle state and stops
// again, or its timer start is undone by the stop.
TEST(StopRace, ItemCheckRightAfterTheStopsTimerWriteLeavesTheTimerOff) {
    TimerHookWindow window;
    EmptyFetcher fetcher;
    FakeClock clock;
    Harvest harvest{window, fetcher, clock};
    harvest.state = kRunning;
    window.set_timer_period(10);

    const std::thread::id stopper = std::this_thread::get_id();
    bool worker_ran = false;
    window.after_timer_write = [&](int ms) {
        if (ms != 0 || std::this_thread::get_id() != stopper || worker_ran) return;
        worker_ran = true;
        std::thread worker([&] { item_timer_check(harvest); });
        worker.join();
    };
    stop_harvest(harvest);

    EXPECT_TRUE(worker_ran);
    EXPECT_EQ(harvest.state.load(), kIdle);
    EXPECT_EQ(window.timer_period(), 0);
}

}  // namespace
}  // namespace lanyi
