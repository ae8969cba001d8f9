#include "app/headless_run.h"

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "app/network.h"
#include "app/phase_actions.h"
#include "app/progress_printer.h"
#include "app/run_setup.h"
#include "text/code_page.h"
#include "ui/harvest_events.h"
#include "ui/headless_window.h"

namespace lanyi {

namespace {

struct Snapshot {
    std::int32_t pages, total, processed, filtered, valid;
};

Snapshot snapshot(const HarvestCounters& c) {
    return {c.pages.load(), c.total.load(), c.processed.load(), c.filtered.load(), c.valid.load()};
}

void apply_check_boxes(const CommandLine& cmd, HeadlessWindow& window) {
    const RequiredFields& r = cmd.required;
    window.set_checked(CheckBox::RequireContact, r.contact);
    window.set_checked(CheckBox::RequireMobile, r.mobile);
    window.set_checked(CheckBox::RequireTelephone, r.telephone);
    window.set_checked(CheckBox::RequireFax, r.fax);
    window.set_checked(CheckBox::RequireEmail, r.email);
    window.set_checked(CheckBox::RequireQQ, r.qq);
    window.set_checked(CheckBox::RequireAddress, r.address);
    window.set_checked(CheckBox::ConfirmContacts, false);
    window.set_checked(CheckBox::PromptExport, true);
    window.set_checked(CheckBox::SwapNumbers, cmd.swap_numbers);
    window.set_checked(CheckBox::StrongMobile, cmd.strong_mobile);
}

}  // namespace

int run_headless(const CommandLine& cmd, std::ostream& out, std::FILE* progress) {
    Network network(cmd);
    if (!network.error().empty()) {
        std::fprintf(stderr, "lanyi-harvester: %s\n", network.error().c_str());
        return 3;
    }

    HeadlessWindow window;
    SteadyClock clock;
    Harvest harvest(window, network.fetcher(), clock, site_config(cmd));
    HarvestEvents events(harvest, make_phase_actions(harvest));
    window.set_events(&events);
    window.create();

    window.set_edit_text(EditBox::Keyword, utf8_to_gbk(cmd.keyword));
    window.set_edit_text(EditBox::Region, utf8_to_gbk(cmd.region));
    window.set_edit_text(EditBox::Filter, utf8_to_gbk(cmd.filter));
    apply_boxes(cmd, window);
    apply_check_boxes(cmd, window);
    // The only question asked with these boxes is whether to export.
    window.set_question_policy([](const GbkText&, const GbkText&) { return true; });
    window.set_save_path(cmd.out);

    std::mutex summary_mutex;
    std::optional<Snapshot> search_end, contacts_end;
    harvest.phase_ended = [&](Phase phase) {
        std::lock_guard lock(summary_mutex);
        (phase == Phase::CompanySearch ? search_end : contacts_end) = snapshot(harvest.counters);
    };

    ProgressPrinter printer(progress);
    window.set_status_listener([&](int, const GbkText&) { printer.mark_dirty(); });

    std::error_code ignored;
    const auto before = std::filesystem::last_write_time(cmd.out, ignored);
    const bool existed = std::filesystem::exists(cmd.out, ignored);

    // Every harvest thread belongs to harvest.jobs; joining them all means the
    // search, the contact phase and the export are over.
    std::mutex done_mutex;
    std::condition_variable done_cv;
    bool done = false;
    window.click(Button::StartCompanies);
    std::thread waiter([&] {
        harvest.jobs.join_all();
        std::lock_guard lock(done_mutex);
        done = true;
        done_cv.notify_all();
    });
    {
        std::unique_lock lock(done_mutex);
        while (!done_cv.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; })) {
            lock.unlock();
            if (window.timer_period() > 0) window.tick_timer();
            printer.print(window);
            lock.lock();
        }
    }
    waiter.join();
    window.tick_timer();
    printer.print(window, true);
    printer.finish();

    // How much the network cost, before the summary lines.
    const FetchStats fetched = network.fetcher().stats();
    const auto print_fetch_line = [&] {
        out << "fetch: requests=" << fetched.requests << " failed=" << fetched.failed
            << " retried=" << fetched.retried << "\n";
    };

    static const GbkText no_results = gbk("没有采集结果");
    bool nothing_found = false;
    for (const auto& dialog : window.dialogs()) {
        if (dialog.kind != HeadlessWindow::DialogKind::Message) continue;
        out << gbk_to_utf8(dialog.text) << "\n";
        nothing_found = nothing_found || dialog.text == no_results;
    }
    if (nothing_found) {
        print_fetch_line();
        return 1;
    }

    print_fetch_line();
    std::lock_guard lock(summary_mutex);
    const Snapshot s = search_end.value_or(snapshot(harvest.counters));
    out << "search: pages=" << s.pages << " total=" << s.total << " processed=" << s.processed
        << " filtered=" << s.filtered << " valid=" << s.valid << "\n";

    int rows = 0;
    const bool written = !window.save_requests().empty() && std::filesystem::exists(cmd.out, ignored) &&
                         (!existed || std::filesystem::last_write_time(cmd.out, ignored) != before);
    if (written) rows = window.list().row_count();
    const Snapshot c = contacts_end.value_or(Snapshot{0, 0, 0, 0, 0});
    out << "contacts: total=" << c.total << " processed=" << c.processed << " filtered=" << c.filtered
        << " valid=" << c.valid << " rows=" << rows << "\n";
    if (contacts_end && !written && window.list().row_count() > 0) {
        out.flush();
        std::fprintf(stderr, "could not write %s\n", cmd.out.c_str());
        return 3;
    }
    return 0;
}

}  // namespace lanyi
