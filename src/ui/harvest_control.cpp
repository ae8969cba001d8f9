#include "ui/harvest_control.h"

#include "text/text_ops.h"
#include "ui/list_upkeep.h"
#include "ui/status_texts.h"

namespace lanyi {

namespace {

constexpr int kItemTimerPeriodMs = 10;
constexpr double kTolerance = 1e-7;
constexpr double kMinThreads = 1;
constexpr double kMaxThreads = 50;

double box_number(Window& window, EditBox box) { return gbk_to_number(window.edit_text(box)); }

}  // namespace

void refresh_status(Harvest& harvest) {
    std::lock_guard lock(harvest.status_mutex);
    StatusFigures f;
    f.inputs = harvest.inputs();
    f.pages = harvest.counters.pages.load();
    f.total = harvest.counters.total.load();
    f.processed = harvest.counters.processed.load();
    f.filtered = harvest.counters.filtered.load();
    f.valid = harvest.counters.valid.load();
    f.state = harvest.state.load();
    const auto texts = status_texts(f);
    for (std::size_t part = 0; part < texts.size(); ++part)
        harvest.window.set_status_part(static_cast<int>(part), texts[part]);
}

void stop_harvest(Harvest& harvest) {
    harvest.state.store(kIdle);
    harvest.window.set_timer_period(0);
    harvest.jobs.set_stop();
    refresh_status(harvest);
    harvest.window.set_button_enabled(Button::StartCompanies, true);
    harvest.window.set_button_enabled(Button::StartContacts, true);
    compact_list(harvest.list());
}

void item_timer_check(Harvest& harvest) {
    if (harvest.window.timer_period() != kItemTimerPeriodMs)
        harvest.window.set_timer_period(kItemTimerPeriodMs);
    if (harvest.state.load() == kIdle) stop_harvest(harvest);
}

void window_created(Harvest& harvest) {
    harvest.state.store(kIdle);
    timeout_box_changed(harvest);
}

void timeout_box_changed(Harvest& harvest) {
    harvest.timeout_seconds.store(real_to_int(box_number(harvest.window, EditBox::Timeout)));
}

void threads_box_changed(Harvest& harvest) {
    static const GbkText lowest("1");
    static const GbkText highest("50");
    Window& w = harvest.window;
    // Written as "not at least" so that a value that is no number counts as too low.
    if (!(box_number(w, EditBox::Threads) >= kMinThreads - kTolerance))
        w.set_edit_text(EditBox::Threads, lowest);
    if (box_number(w, EditBox::Threads) > kMaxThreads + kTolerance)
        w.set_edit_text(EditBox::Threads, highest);
}

void elapsed_timer_tick(Harvest& harvest) {
    // Unsigned subtraction keeps the difference right across the tick's wrap.
    const std::uint32_t elapsed = harvest.clock.tick_ms() - harvest.start_tick.load();
    harvest.window.set_status_part(kElapsedPart, elapsed_text(elapsed));
}

void close_request(Harvest& harvest) { harvest.jobs.set_stop(); }

std::int32_t threads_box_value(Harvest& harvest) {
    const double v = box_number(harvest.window, EditBox::Threads);
    if (!(v >= kMinThreads)) return 1;
    if (v >= kMaxThreads) return 50;
    return real_to_int(v);
}

}  // namespace lanyi
