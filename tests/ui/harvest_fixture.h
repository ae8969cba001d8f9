// A harvest on a headless window with an empty fetcher and a hand-set clock,
// its events routed as the application routes them (no phase actions).
#pragma once

#include <gtest/gtest.h>

#include "ui/harvest.h"
#include "ui/harvest_events.h"
#include "ui/headless_window.h"
#include "ui_test_support.h"

namespace lanyi {

class HarvestTest : public testing::Test {
protected:
    HarvestTest() { window.set_events(&events); }
    ~HarvestTest() override { window.set_events(nullptr); }

    // A harvest as a phase start leaves it.
    void make_running() {
        harvest.state = kRunning;
        window.set_button_enabled(Button::StartCompanies, false);
        window.set_button_enabled(Button::StartContacts, false);
    }

    HeadlessWindow window;
    EmptyFetcher fetcher;
    FakeClock clock;
    Harvest harvest{window, fetcher, clock};
    HarvestEvents events{harvest, PhaseActions{}};
};

}  // namespace lanyi
