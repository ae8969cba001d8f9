#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ui/headless_window.h"
#include "ui/status_texts.h"
#include "ui_test_support.h"

namespace lanyi {
namespace {

// Records what the window raises; on a keyword change, notes the text the
// handler sees at that moment.
class RecordingEvents final : public WindowEvents {
public:
    explicit RecordingEvents(HeadlessWindow& window) : window_(window) {}
    void window_created() override { log.push_back("created"); }
    void edit_changed(EditBox box) override {
        log.push_back("edit " + std::to_string(static_cast<int>(box)));
        seen_text = window_.edit_text(box);
    }
    void button_clicked(Button button) override {
        log.push_back("button " + std::to_string(static_cast<int>(button)));
    }
    void timer_tick() override { log.push_back("tick"); }
    void list_double_clicked() override { log.push_back("double click"); }
    void close_requested() override { log.push_back("close"); }

    std::vector<std::string> log;
    GbkText seen_text;

private:
    HeadlessWindow& window_;
};

TEST(HeadlessWindow, StartsWithTheWindowsInitialValues) {
    HeadlessWindow w;
    EXPECT_EQ(w.edit_text(EditBox::Keyword), GbkText());
    EXPECT_EQ(w.edit_text(EditBox::Region), GbkText());
    EXPECT_EQ(w.edit_text(EditBox::Filter), GbkText());
    EXPECT_EQ(w.edit_text(EditBox::Threads), GbkText("10"));
    EXPECT_EQ(w.edit_text(EditBox::Timeout), GbkText("10"));

    const std::pair<CheckBox, bool> boxes[] = {
        {CheckBox::RequireContact, false}, {CheckBox::RequireMobile, false},
        {CheckBox::RequireTelephone, false}, {CheckBox::RequireFax, false},
        {CheckBox::RequireEmail, false},   {CheckBox::RequireQQ, false},
        {CheckBox::RequireAddress, false}, {CheckBox::ConfirmContacts, false},
        {CheckBox::PromptExport, true},    {CheckBox::SwapNumbers, true},
        {CheckBox::StrongMobile, true},
    };
    for (const auto& [box, checked] : boxes)
        EXPECT_EQ(w.is_checked(box), checked) << static_cast<int>(box);

    for (Button b : {Button::StartCompanies, Button::StartContacts, Button::Stop, Button::ClearAll,
                     Button::ClearContacts, Button::Export})
        EXPECT_TRUE(w.is_button_enabled(b));
    EXPECT_EQ(w.timer_period(), 0);
    EXPECT_EQ(w.current_row(), -1);
    EXPECT_EQ(w.list().row_count(), 0);
    const auto initial = initial_status_texts();
    for (int p = 0; p < kStatusParts; ++p) EXPECT_EQ(w.status_part(p), initial[p]) << p;
}

TEST(HeadlessWindow, EditWriteRaisesOneEventAfterTheTextIsInPlace) {
    HeadlessWindow w;
    RecordingEvents events(w);
    w.set_events(&events);
    w.set_edit_text(EditBox::Keyword, gbk("五金"));
    EXPECT_EQ(events.log, std::vector<std::string>{"edit 0"});
    EXPECT_EQ(events.seen_text, gbk("五金"));

    w.set_events(nullptr);
    w.set_edit_text(EditBox::Keyword, GbkText("x"));
    EXPECT_EQ(events.log.size(), 1u);
    EXPECT_EQ(w.edit_text(EditBox::Keyword), GbkText("x"));
}

TEST(HeadlessWindow, UserActsRaiseTheirEvents) {
    HeadlessWindow w;
    RecordingEvents events(w);
    w.set_events(&events);
    w.create();
    EXPECT_TRUE(w.click(Button::Stop));
    w.tick_timer();
    w.double_click_list();
    w.set_button_enabled(Button::StartCompanies, false);
    EXPECT_FALSE(w.click(Button::StartCompanies)) << "a disabled button takes no click";
    w.request_close();
    const std::vector<std::string> expected = {"created", "button 2", "tick", "double click", "close"};
    EXPECT_EQ(events.log, expected);
    EXPECT_TRUE(w.closing());
}

TEST(HeadlessWindow, StatusWritesReachTheListenerAndBadPartsDoNothing) {
    HeadlessWindow w;
    std::vector<std::pair<int, GbkText>> heard;
    w.set_status_listener([&](int part, const GbkText& text) { heard.emplace_back(part, text); });
    w.set_status_part(9, gbk("正在开始"));
    w.set_status_part(10, GbkText("x"));
    w.set_status_part(-1, GbkText("x"));
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].first, 9);
    EXPECT_EQ(heard[0].second, gbk("正在开始"));
    EXPECT_EQ(w.status_part(9), gbk("正在开始"));
    EXPECT_TRUE(w.status_part(10).empty());
    EXPECT_TRUE(w.status_part(-1).empty());
}

TEST(HeadlessWindow, ListenerMayWriteBackIntoTheWindow) {
    HeadlessWindow w;
    w.set_status_listener([&](int part, const GbkText&) {
        if (part == 0) w.set_status_part(1, GbkText("echo"));
    });
    w.set_status_part(0, GbkText("x"));
    EXPECT_EQ(w.status_part(1), GbkText("echo"));
}

TEST(HeadlessWindow, QuestionsFollowThePolicyAndAreRecorded) {
    HeadlessWindow w;
    EXPECT_FALSE(w.ask_yes_no(GbkText("q1"), GbkText("c1"))) << "no policy answers No";

    int asked = 0;
    w.set_question_policy([&](const GbkText& text, const GbkText&) {
        ++asked;
        return text == GbkText("q2");
    });
    EXPECT_TRUE(w.ask_yes_no(GbkText("q2"), GbkText("c2")));
    w.show_message(gbk("没有采集结果"), gbk("结果"));

    w.request_close();
    EXPECT_FALSE(w.ask_yes_no(GbkText("q2"), GbkText("c3"))) << "a closing window answers No";
    EXPECT_EQ(asked, 1);

    using K = HeadlessWindow::DialogKind;
    const auto dialogs = w.dialogs();
    ASSERT_EQ(dialogs.size(), 4u);
    EXPECT_EQ(dialogs[0].kind, K::Question);
    EXPECT_FALSE(dialogs[0].answer);
    EXPECT_EQ(dialogs[1].text, GbkText("q2"));
    EXPECT_EQ(dialogs[1].caption, GbkText("c2"));
    EXPECT_TRUE(dialogs[1].answer);
    EXPECT_EQ(dialogs[2].kind, K::Message);
    EXPECT_EQ(dialogs[2].text, gbk("没有采集结果"));
    EXPECT_EQ(dialogs[2].caption, gbk("结果"));
    EXPECT_FALSE(dialogs[3].answer);
}

TEST(HeadlessWindow, SaveDialogReturnsTheGivenPathAndRecordsTheProposal) {
    HeadlessWindow w;
    EXPECT_EQ(w.choose_save_path(gbk("五金-广州-.csv"), "/home/u/Desktop/"), std::nullopt);
    w.set_save_path("/tmp/out.csv");
    EXPECT_EQ(w.choose_save_path(GbkText("b.csv"), "/d/"), std::optional<std::string>("/tmp/out.csv"));
    const auto requests = w.save_requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].proposed_name, gbk("五金-广州-.csv"));
    EXPECT_EQ(requests[0].folder, "/home/u/Desktop/");
    EXPECT_EQ(requests[1].proposed_name, GbkText("b.csv"));
}

TEST(HeadlessWindow, ClipboardAndOpenedUrlsAreKept) {
    HeadlessWindow w;
    w.set_clipboard(GbkText("first"));
    w.set_clipboard(GbkText());
    EXPECT_TRUE(w.clipboard().empty());
    w.open_url(GbkText("http://a.shop.lanyi.test/shop/company.html"));
    EXPECT_EQ(w.opened_urls(), std::vector<GbkText>{GbkText("http://a.shop.lanyi.test/shop/company.html")});
}

TEST(HeadlessWindow, TimerRestartsOnlyOnANewPeriod) {
    HeadlessWindow w;
    w.set_timer_period(10);
    w.set_timer_period(10);
    EXPECT_EQ(w.timer_starts(), 1);
    w.set_timer_period(20);
    EXPECT_EQ(w.timer_starts(), 2);
    w.set_timer_period(-5);
    EXPECT_EQ(w.timer_period(), 0);
    w.set_timer_period(0);
    EXPECT_EQ(w.timer_starts(), 2);
}

TEST(HeadlessWindow, CurrentRowIsOnlyARowThatExists) {
    HeadlessWindow w;
    for (int i = 0; i < 3; ++i) w.list().append_row();
    w.set_current_row(2);
    EXPECT_EQ(w.current_row(), 2);
    w.list().delete_row(0);
    EXPECT_EQ(w.current_row(), -1);
    w.set_current_row(-1);
    EXPECT_EQ(w.current_row(), -1);
}

}  // namespace
}  // namespace lanyi
