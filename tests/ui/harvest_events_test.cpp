#include <map>
#include <string>

#include <gtest/gtest.h>

#include "text/text_ops.h"
#include "ui/harvest_events.h"
#include "ui/headless_window.h"
#include "ui_test_support.h"

namespace lanyi {
namespace {

class HarvestEventsTest : public testing::Test {
protected:
    HarvestEventsTest() {
        window.set_events(&events);
        for (const char* id : {"a", "", "c"}) {
            const int n = window.list().append_company(GbkText(id), GbkText("name"));
            window.list().set_cell(n - 1, kColContact, GbkText("person"));
        }
    }
    ~HarvestEventsTest() override { window.set_events(nullptr); }

    PhaseActions counting_actions() {
        return {[this] { ++calls["companies"]; }, [this] { ++calls["contacts"]; },
                [this] { ++calls["export"]; }, [this] { ++calls["open"]; }};
    }

    std::map<std::string, int> calls;
    HeadlessWindow window;
    EmptyFetcher fetcher;
    FakeClock clock;
    Harvest harvest{window, fetcher, clock};
    HarvestEvents events{harvest, counting_actions()};
};

TEST_F(HarvestEventsTest, PhaseButtonsAndDoubleClickRunTheirActions) {
    window.click(Button::StartCompanies);
    window.click(Button::StartContacts);
    window.click(Button::StartContacts);
    window.click(Button::Export);
    window.double_click_list();
    const std::map<std::string, int> expected = {
        {"companies", 1}, {"contacts", 2}, {"export", 1}, {"open", 1}};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(window.list().row_count(), 3) << "phase buttons leave the list to the phases";
}

TEST_F(HarvestEventsTest, StopButtonEndsTheHarvest) {
    harvest.state = kRunning;
    window.set_timer_period(10);
    window.click(Button::Stop);
    EXPECT_EQ(harvest.state.load(), kIdle);
    EXPECT_EQ(window.timer_period(), 0);
    EXPECT_EQ(window.list().row_count(), 2);
    EXPECT_TRUE(calls.empty());
}

TEST_F(HarvestEventsTest, ClearButtonsTouchTheListOnly) {
    harvest.counters.valid = 5;
    harvest.state = kRunning;

    window.click(Button::ClearContacts);
    EXPECT_EQ(window.list().row_count(), 3);
    EXPECT_TRUE(window.list().get_cell(0, kColContact).empty());
    EXPECT_EQ(window.list().get_cell(0, kColId), GbkText("a"));

    window.click(Button::ClearAll);
    EXPECT_EQ(window.list().row_count(), 0);

    EXPECT_EQ(harvest.counters.valid.load(), 5);
    EXPECT_EQ(harvest.state.load(), kRunning);
}

TEST_F(HarvestEventsTest, SearchBoxesChangeNothing) {
    harvest.timeout_seconds = 33;
    window.set_edit_text(EditBox::Keyword, GbkText("99"));
    window.set_edit_text(EditBox::Region, GbkText("0"));
    window.set_edit_text(EditBox::Filter, GbkText("abc"));
    EXPECT_EQ(harvest.timeout_seconds.load(), 33);
    EXPECT_EQ(window.edit_text(EditBox::Threads), GbkText("10"));
    EXPECT_EQ(window.edit_text(EditBox::Region), GbkText("0"));
}

TEST(HarvestEventsWithoutActions, MissingActionsDoNothing) {
    HeadlessWindow window;
    EmptyFetcher fetcher;
    FakeClock clock;
    Harvest harvest{window, fetcher, clock};
    HarvestEvents events{harvest, PhaseActions{}};
    window.set_events(&events);
    for (Button b : {Button::StartCompanies, Button::StartContacts, Button::Export})
        EXPECT_TRUE(window.click(b));
    window.double_click_list();
    EXPECT_EQ(harvest.state.load(), kIdle);
    window.set_events(nullptr);
}

}  // namespace
}  // namespace lanyi
