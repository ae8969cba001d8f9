#include "contacts/contact_job.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "phase_rig.h"
#include "text/code_page.h"
#include "ui/harvest_control.h"
#include "ui/list_upkeep.h"

namespace lanyi {
namespace {

using testing_support::Gate;
using testing_support::PhaseRig;

GbkText url_of(const PhaseRig& rig, const std::string& id) {
    return company_page_url(rig.harvest.site, GbkText(id));
}

// A listed company whose page names `contact`.
void add_company(PhaseRig& rig, const std::string& id, const std::string& contact) {
    rig.window.list().append_company(GbkText(id), gbk("公司" + id));
    rig.fetcher.set_page(url_of(rig, id), gbk("<b><span title=\"" + contact + "\">"));
}

TEST(CompanyPage, UrlAndIdRules) {
    SiteConfig site;
    site.shop_suffix = GbkText(".shop.example.test");
    EXPECT_EQ(company_page_url(site, GbkText("hua-01")).str(),
              "http://hua-01.shop.example.test/shop/company.html");

    const std::string longest(63, 'a');
    struct Case {
        std::string id;
        bool valid;
    } cases[] = {
        {"hua", true},        {"Hua-2024", true},   {longest, true},       {longest + "a", false},
        {"", false},          {"a.b", false},       {"a/b", false},        {"evil.test/x?", false},
        {"a b", false},       {"a_b", false},       {"a@b", false},        {"\xbb\xaa", false},
    };
    for (const Case& c : cases) EXPECT_EQ(is_valid_company_id(GbkText(c.id)), c.valid) << c.id;
}

TEST(ContactPhase, EmptyListChangesNothing) {
    PhaseRig rig;
    start_contact_collection(rig.harvest);
    rig.settle();
    EXPECT_EQ(rig.harvest.state.load(), kIdle);
    EXPECT_TRUE(rig.window.is_button_enabled(Button::StartContacts));
    EXPECT_TRUE(rig.window.is_button_enabled(Button::StartCompanies));
    EXPECT_EQ(rig.fetcher.total(), 0);
    EXPECT_EQ(rig.ended(Phase::Contacts), 0);
}

TEST(ContactPhase, FillsEveryRowThenAsksOnceAboutTheExport) {
    PhaseRig rig;
    add_company(rig, "a1", "甲");
    add_company(rig, "b2", "乙");
    add_company(rig, "c3", "丙");
    rig.harvest.counters.filtered = 7;
    start_contact_collection(rig.harvest);
    rig.settle();

    EXPECT_EQ(rig.cell(0, kColContact), "甲");
    EXPECT_EQ(rig.cell(1, kColContact), "乙");
    EXPECT_EQ(rig.cell(2, kColContact), "丙");
    EXPECT_EQ(rig.harvest.counters.processed.load(), 3);
    EXPECT_EQ(rig.harvest.counters.valid.load(), 3);
    EXPECT_EQ(rig.harvest.counters.filtered.load(), 0);
    EXPECT_EQ(rig.harvest.counters.total.load(), 3);
    EXPECT_EQ(rig.harvest.state.load(), kIdle);
    EXPECT_TRUE(rig.window.is_button_enabled(Button::StartContacts));
    EXPECT_EQ(rig.window.timer_period(), 0);
    EXPECT_EQ(rig.ended(Phase::Contacts), 1);

    // The company pages are fetched with every optional input left out.
    for (const FetchRequest& r : rig.fetcher.requests()) EXPECT_EQ(r.timeout_seconds, 0);
    EXPECT_EQ(rig.fetcher.count(url_of(rig, "b2")), 1);

    const auto dialogs = rig.window.dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(gbk_to_utf8(dialogs[0].text), "采集信息已完成\r\n是否导出");
    EXPECT_EQ(gbk_to_utf8(dialogs[0].caption), "完成");
    EXPECT_TRUE(rig.window.save_requests().empty());  // answered No
}

TEST(ContactPhase, WithoutTheExportBoxTheEndIsSilent) {
    PhaseRig rig;
    rig.window.set_checked(CheckBox::PromptExport, false);
    add_company(rig, "a1", "甲");
    start_contact_collection(rig.harvest);
    rig.settle();
    EXPECT_EQ(rig.ended(Phase::Contacts), 1);
    EXPECT_TRUE(rig.window.dialogs().empty());
}

TEST(ContactPhase, FilledRowsAreSkippedAndARestartedPhaseStillEnds) {
    PhaseRig rig;
    add_company(rig, "a1", "甲");
    add_company(rig, "b2", "乙");
    add_company(rig, "c3", "丙");
    rig.window.list().set_cell(1, kColContact, gbk("王五"));
    start_contact_collection(rig.harvest);
    rig.settle();

    EXPECT_EQ(rig.fetcher.count(url_of(rig, "b2")), 0);
    EXPECT_EQ(rig.fetcher.total(), 2);
    EXPECT_EQ(rig.cell(1, kColContact), "王五");
    EXPECT_EQ(rig.harvest.counters.processed.load(), 2);
    EXPECT_EQ(rig.ended(Phase::Contacts), 1);
    EXPECT_EQ(rig.harvest.state.load(), kIdle);
}

TEST(ContactPhase, AnIdThatIsNoHostLabelIsNeverRequested) {
    PhaseRig rig;
    rig.window.set_checked(CheckBox::PromptExport, false);
    rig.window.set_checked(CheckBox::RequireContact, true);
    add_company(rig, "a1", "甲");
    rig.window.list().append_company(gbk("evil.test/x?"), gbk("坏"));
    start_contact_collection(rig.harvest);
    rig.settle();

    EXPECT_EQ(rig.fetcher.total(), 1);
    EXPECT_EQ(rig.harvest.counters.filtered.load(), 1);  // treated as a failed fetch
    EXPECT_EQ(rig.harvest.counters.processed.load(), 2);
    ASSERT_EQ(rig.window.list().row_count(), 1);  // the rejected row went with the stop
    EXPECT_EQ(rig.cell(0, kColId), "a1");
}

TEST(ContactPhase, ExportOnYesWritesOnlyAcceptedRows) {
    PhaseRig rig;
    char dir_template[] = "/tmp/lanyi-contacts-XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string path = std::string(dir_template) + "/out.csv";
    rig.window.set_question_policy([](const GbkText&, const GbkText&) { return true; });
    rig.window.set_save_path(path);
    rig.window.set_checked(CheckBox::RequireContact, true);
    add_company(rig, "a1", "甲");
    rig.window.list().append_company(GbkText("b2"), gbk("公司b2"));  // its page is missing
    add_company(rig, "c3", "丙");
    start_contact_collection(rig.harvest);
    rig.settle();

    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string text = gbk_to_utf8(GbkText(bytes.str()));
    EXPECT_EQ(text,
              "序,ID,公司名,联系人,手机,电话,传真,邮箱,QQ,地址\r\n"
              "1,a1,公司a1,甲,,,,,,\r\n"
              "2,c3,公司c3,丙,,,,,,\r\n");
    std::remove(path.c_str());
    rmdir(dir_template);
}

TEST(ContactPhase, JobsWriteToTheirOwnCompanyWhileCompactionMovesRows) {
    PhaseRig rig;
    rig.window.set_checked(CheckBox::PromptExport, false);
    add_company(rig, "a1", "甲");
    add_company(rig, "b2", "乙");
    add_company(rig, "c3", "丙");
    Gate gate;
    rig.fetcher.set_hook([&](const FetchRequest&) { gate.wait(); });
    start_contact_collection(rig.harvest);  // three workers, one row each
    ASSERT_TRUE(gate.wait_for_waiters(3));

    // Row a1 loses its id and goes: b2 and c3 move up one index each.
    rig.window.list().set_cell(0, kColId, GbkText());
    compact_list(rig.window.list());
    gate.open();
    rig.settle();

    ASSERT_EQ(rig.window.list().row_count(), 2);
    EXPECT_EQ(rig.cell(0, kColId), "b2");
    EXPECT_EQ(rig.cell(0, kColContact), "乙");
    EXPECT_EQ(rig.cell(1, kColId), "c3");
    EXPECT_EQ(rig.cell(1, kColContact), "丙");
    EXPECT_EQ(rig.ended(Phase::Contacts), 1);
}

TEST(ContactPhase, StopEndsThePhaseWithoutTheExport) {
    // 3 rows on one worker: the rest is skipped. 1 row: the last item is in
    // hand when Stop comes, and its completion must not offer the export.
    for (int rows : {3, 1}) {
        SCOPED_TRACE(rows);
        PhaseRig rig;
        rig.window.set_question_policy([](const GbkText&, const GbkText&) { return true; });
        rig.window.set_save_path("/nonexistent-dir/out.csv");
        rig.window.set_edit_text(EditBox::Threads, GbkText("1"));
        for (int i = 0; i < rows; ++i) add_company(rig, "r" + std::to_string(i), "某");
        Gate gate;
        rig.fetcher.set_hook([&](const FetchRequest&) { gate.wait(); });
        start_contact_collection(rig.harvest);
        ASSERT_TRUE(gate.wait_for_waiters(1));
        stop_harvest(rig.harvest);
        gate.open();
        rig.settle();

        EXPECT_EQ(rig.fetcher.total(), 1);
        EXPECT_EQ(rig.harvest.counters.processed.load(), 1);
        EXPECT_TRUE(rig.window.dialogs().empty());
        EXPECT_TRUE(rig.window.save_requests().empty());
        EXPECT_EQ(rig.ended(Phase::Contacts), 0);
        EXPECT_EQ(rig.harvest.state.load(), kIdle);
        EXPECT_TRUE(rig.window.is_button_enabled(Button::StartContacts));
    }
}

TEST(ContactPhase, EndRunsOnceWhenFiftyWorkersFinishTogether) {
    for (int iteration = 0; iteration < 25; ++iteration) {
        SCOPED_TRACE(iteration);
        PhaseRig rig;
        rig.window.set_edit_text(EditBox::Threads, GbkText("50"));
        for (int i = 0; i < 50; ++i) add_company(rig, "r" + std::to_string(i), "某");
        Gate gate;
        rig.fetcher.set_hook([&](const FetchRequest&) { gate.wait(); });
        start_contact_collection(rig.harvest);
        ASSERT_TRUE(gate.wait_for_waiters(50));
        gate.open();
        rig.settle();
        EXPECT_EQ(rig.harvest.counters.processed.load(), 50);
        EXPECT_EQ(rig.ended(Phase::Contacts), 1);
        EXPECT_EQ(rig.questions(), 1);
        EXPECT_EQ(rig.harvest.completion_guard.load(), 0);
    }
}

TEST(OpenCompanyPage, OnlyASelectedRowWithAValidId) {
    PhaseRig rig;
    rig.window.list().append_company(GbkText("hua"), gbk("华"));
    rig.window.list().append_company(GbkText("x/y"), gbk("坏"));
    open_company_page(rig.harvest);  // nothing selected
    rig.window.set_current_row(1);
    open_company_page(rig.harvest);
    rig.window.set_current_row(0);
    open_company_page(rig.harvest);
    const auto urls = rig.window.opened_urls();
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0], url_of(rig, "hua"));
}

}  // namespace
}  // namespace lanyi
