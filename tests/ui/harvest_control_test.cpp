#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harvest_fixture.h"
#include "text/text_ops.h"
#include "ui/harvest_control.h"
#include "ui/status_texts.h"

namespace lanyi {
namespace {

std::vector<GbkText> status_of(HeadlessWindow& window) {
    std::vector<GbkText> parts;
    for (int p = 0; p < kStatusParts; ++p) parts.push_back(window.status_part(p));
    return parts;
}

TEST_F(HarvestTest, RefreshStatusShowsInputsCountersAndState) {
    harvest.set_inputs({gbk("五金"), gbk("厂"), gbk("广东省:广州市")});
    harvest.counters.pages = 3;
    harvest.counters.total = 57;
    harvest.counters.processed = 12;
    harvest.counters.filtered = 4;
    harvest.counters.valid = 8;
    harvest.state = kRunning;
    window.set_status_part(kElapsedPart, gbk("2.5秒"));

    refresh_status(harvest);

    const std::vector<GbkText> expected = {
        gbk(" 关键字:五金"), gbk("过滤字:厂"), gbk("地址:广东省:广州市"),
        gbk("共3页"),        gbk("共57条"),    gbk("第12条"),
        gbk("过滤4条"),      gbk("有效8条"),   gbk("状态:已开始"),
        gbk("2.5秒"),  // part 9 is not refresh_status's
    };
    EXPECT_EQ(status_of(window), expected);

    harvest.state = kIdle;
    refresh_status(harvest);
    EXPECT_EQ(window.status_part(8), gbk("状态:未开始"));
}

TEST_F(HarvestTest, NewWindowShowsWhatAnIdleRefreshWrites) {
    const std::vector<GbkText> initial = {
        gbk(" 关键字:"), gbk("过滤字:"), gbk("地址:"),    gbk("共0页"),      gbk("共0条"),
        gbk("第0条"),    gbk("过滤0条"), gbk("有效0条"), gbk("状态:未开始"), GbkText(),
    };
    EXPECT_EQ(status_of(window), initial);
    refresh_status(harvest);
    EXPECT_EQ(status_of(window), initial);
}

TEST_F(HarvestTest, StopHarvestReturnsToIdleAndCompactsTheList) {
    ResultList& list = harvest.list();
    for (const char* id : {"a1", "", "c3", "  ", "e5"}) list.append_company(GbkText(id), gbk("公司"));
    // A distribution whose single worker is held inside item 1 of 3.
    std::promise<void> started;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> handled{0};
    harvest.jobs.distribute(
        [&](std::int32_t item) {
            ++handled;
            if (item == 1) {
                started.set_value();
                released.wait();
            }
        },
        3, 1);
    started.get_future().wait();
    make_running();
    window.set_timer_period(10);

    stop_harvest(harvest);

    EXPECT_EQ(harvest.state.load(), kIdle);
    EXPECT_EQ(window.status_part(8), gbk("状态:未开始"));
    EXPECT_EQ(window.timer_period(), 0);
    EXPECT_TRUE(window.is_button_enabled(Button::StartCompanies));
    EXPECT_TRUE(window.is_button_enabled(Button::StartContacts));
    EXPECT_TRUE(harvest.jobs.stopped());
    EXPECT_EQ(list.row_count(), 3);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(list.get_cell(row, kColNumber), int_to_gbk(row + 1));
    EXPECT_EQ(list.get_cell(2, kColId), GbkText("e5"));

    release.set_value();
    harvest.jobs.join_all();
    EXPECT_EQ(handled.load(), 1) << "items not yet begun must be skipped after a stop";
}

TEST_F(HarvestTest, ItemTimerCheckStartsTheTimerOnceWhileRunning) {
    make_running();
    item_timer_check(harvest);
    item_timer_check(harvest);
    EXPECT_EQ(window.timer_period(), 10);
    EXPECT_EQ(window.timer_starts(), 1);
    EXPECT_EQ(harvest.state.load(), kRunning);
    EXPECT_FALSE(window.is_button_enabled(Button::StartCompanies));
}

TEST_F(HarvestTest, ItemTimerCheckWhenIdleStopsAgain) {
    harvest.list().append_company(GbkText(), gbk("被拒绝"));
    item_timer_check(harvest);
    EXPECT_EQ(window.timer_period(), 0);
    EXPECT_TRUE(window.is_button_enabled(Button::StartCompanies));
    EXPECT_EQ(harvest.list().row_count(), 0);
}

TEST_F(HarvestTest, ElapsedTickShowsSecondsSinceTheStartTick) {
    struct Case {
        std::uint32_t start, now;
        const char* shown;
    };
    const Case cases[] = {
        {1000, 2500, "1.5秒"},
        {0, 0, "0秒"},
        {5000, 65000, "60秒"},
        {0, 16, "0.016秒"},
        {0xFFFFFC18u, 500, "1.5秒"},  // the tick wrapped past 2^32 meanwhile
        {0, 0xFFFFFFFFu, "4294967.295秒"},
    };
    for (const Case& c : cases) {
        harvest.start_tick = c.start;
        clock.now = c.now;
        window.tick_timer();
        EXPECT_EQ(window.status_part(kElapsedPart), gbk(c.shown)) << c.start << " -> " << c.now;
    }
}

TEST_F(HarvestTest, TimeoutBoxSetsTheTimeoutByTruncation) {
    const std::pair<const char*, int> cases[] = {
        {"10.9", 10}, {"abc", 0}, {"", 0}, {"100", 100}, {"-5", -5}, {"0", 0}, {"7x", 7},
    };
    for (const auto& [text, seconds] : cases) {
        harvest.timeout_seconds = 999;
        window.set_edit_text(EditBox::Timeout, GbkText(text));
        EXPECT_EQ(harvest.timeout_seconds.load(), seconds) << text;
    }
}

TEST_F(HarvestTest, WindowCreatedIsIdleAndReadsTheTimeoutBox) {
    window.set_events(nullptr);
    window.set_edit_text(EditBox::Timeout, GbkText("25"));
    window.set_events(&events);
    harvest.state = kRunning;
    harvest.timeout_seconds = 7;

    window.create();

    EXPECT_EQ(harvest.state.load(), kIdle);
    EXPECT_EQ(harvest.timeout_seconds.load(), 25);
}

// Counts edit_changed per write and passes every event on.
class CountingEvents final : public WindowEvents {
public:
    explicit CountingEvents(WindowEvents& inner) : inner_(inner) {}
    void window_created() override { inner_.window_created(); }
    void edit_changed(EditBox box) override {
        if (box == EditBox::Threads) ++threads_changes;
        inner_.edit_changed(box);
    }
    void button_clicked(Button button) override { inner_.button_clicked(button); }
    void timer_tick() override { inner_.timer_tick(); }
    void list_double_clicked() override { inner_.list_double_clicked(); }
    void close_requested() override { inner_.close_requested(); }
    int threads_changes = 0;

private:
    WindowEvents& inner_;
};

TEST_F(HarvestTest, ThreadsBoxIsHeldBetweenOneAndFifty) {
    struct Case {
        const char* written;
        const char* kept;
        int events;  // the write itself, plus one for the handler's own write
        int workers;
    };
    const Case cases[] = {
        {"-5", "1", 2, 1},
        {"0", "1", 2, 1},
        {"abc", "1", 2, 1},
        {"", "1", 2, 1},
        {"80", "50", 2, 50},
        {"50", "50", 1, 50},
        {"1", "1", 1, 1},
        {"3.9", "3.9", 1, 3},
        {"50.00000001", "50.00000001", 1, 50},  // within the tolerance
        {"0.99999999", "0.99999999", 1, 1},      // within the tolerance, yet one worker
    };
    CountingEvents counting(events);
    window.set_events(&counting);
    for (const Case& c : cases) {
        counting.threads_changes = 0;
        window.set_edit_text(EditBox::Threads, GbkText(c.written));
        EXPECT_EQ(window.edit_text(EditBox::Threads), GbkText(c.kept)) << c.written;
        EXPECT_EQ(counting.threads_changes, c.events) << c.written;
        EXPECT_EQ(threads_box_value(harvest), c.workers) << c.written;
    }
    window.set_events(&events);
}

TEST_F(HarvestTest, WorkerCountStaysInRangeWhateverTheBoxHolds) {
    window.set_events(nullptr);  // the box as pasted, never clamped
    const std::pair<const char*, int> cases[] = {
        {"0", 1}, {"-3", 1}, {"abc", 1}, {"99", 50}, {"3.9", 3}, {"10", 10},
    };
    for (const auto& [text, workers] : cases) {
        window.set_edit_text(EditBox::Threads, GbkText(text));
        EXPECT_EQ(threads_box_value(harvest), workers) << text;
    }
    window.set_events(&events);
}

TEST_F(HarvestTest, CloseRequestSetsTheStopFlag) {
    std::promise<void> started;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    harvest.jobs.distribute(
        [&](std::int32_t) {
            started.set_value();
            released.wait();
        },
        1, 1);
    started.get_future().wait();

    window.request_close();

    EXPECT_TRUE(harvest.jobs.stopped());
    release.set_value();
    harvest.jobs.join_all();
}

}  // namespace
}  // namespace lanyi
