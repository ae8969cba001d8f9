// A harvest over a headless window, a fake fetcher and a standing clock, with
// a record of the phases that ended.
#pragma once

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "fake_fetcher.h"
#include "text/code_page.h"
#include "ui/harvest.h"
#include "ui/headless_window.h"

namespace lanyi::testing_support {

struct PhaseRig {
    HeadlessWindow window;
    FakeFetcher fetcher;
    FixedClock clock;
    Harvest harvest{window, fetcher, clock};

    PhaseRig() {
        harvest.phase_ended = [this](Phase p) {
            std::lock_guard lock(mutex_);
            ended_.push_back(p);
        };
    }

    int ended(Phase p) {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count(ended_.begin(), ended_.end(), p));
    }
    // Waits for every thread the harvest started, and those they started.
    void settle() { harvest.jobs.join_all(); }

    int questions() {
        int n = 0;
        for (const auto& d : window.dialogs()) n += d.kind == HeadlessWindow::DialogKind::Question;
        return n;
    }
    int messages() {
        int n = 0;
        for (const auto& d : window.dialogs()) n += d.kind == HeadlessWindow::DialogKind::Message;
        return n;
    }
    std::string cell(int row, int column) { return gbk_to_utf8(window.list().get_cell(row, column)); }

private:
    std::mutex mutex_;
    std::vector<Phase> ended_;
};

}  // namespace lanyi::testing_support
