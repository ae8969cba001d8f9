#include "search/company_search.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "contacts/contact_job.h"
#include "phase_rig.h"
#include "search/result_pages.h"
#include "search_pages.h"
#include "text/code_page.h"
#include "ui/harvest_control.h"

namespace lanyi {
namespace {

using testing_support::company_block;
using testing_support::first_answer;
using testing_support::Gate;
using testing_support::PhaseRig;
using testing_support::totals_page;

const std::string kKeyword = "led";
const std::string kRegion = "广东省:广州市";

class CompanySearch : public ::testing::Test {
protected:
    CompanySearch() {
        rig.window.set_edit_text(EditBox::Keyword, gbk(kKeyword));
        rig.window.set_edit_text(EditBox::Region, gbk("广东省：广州市"));
    }
    GbkText query_url() { return search_url(rig.harvest.site, gbk(kKeyword), gbk(kRegion)); }
    GbkText page_url(int p, bool second) {
        return result_page_url(rig.harvest.site, gbk(kKeyword), gbk(kRegion), p, second);
    }
    void set_totals(const std::string& page) { rig.fetcher.set_page(query_url(), gbk(page)); }
    void set_result_page(int p, const std::string& first, const std::string& second) {
        rig.fetcher.set_page(page_url(p, false), gbk(first));
        rig.fetcher.set_page(page_url(p, true), gbk(second));
    }
    void set_company_page(const std::string& id, const std::string& contact) {
        rig.fetcher.set_page(company_page_url(rig.harvest.site, GbkText(id)),
                             gbk("<b><span title=\"" + contact + "\">"));
    }
    int company_page_requests() {
        int n = 0;
        for (const FetchRequest& r : rig.fetcher.requests())
            n += r.url.view().find("/shop/company.html") != std::string_view::npos;
        return n;
    }

    PhaseRig rig;
};

TEST_F(CompanySearch, NoResultsEndsTheHarvestWithOneMessage) {
    rig.window.list().append_company(GbkText("old"), gbk("旧"));
    rig.harvest.timeout_seconds = 7;
    set_totals("<html>没有找到</html>");
    start_company_search(rig.harvest);
    rig.settle();

    // The region was typed with a full-width colon and is sent with ":".
    const auto requests = rig.fetcher.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].url.str(),
              "http://search.lanyi.test/?w=led&mc=enterprise&z="
              "%D6%D0%B9%FA%3A%B9%E3%B6%AB%CA%A1%3A%B9%E3%D6%DD%CA%D0");
    EXPECT_EQ(requests[0].timeout_seconds, 7);
    EXPECT_EQ(gbk_to_utf8(rig.harvest.inputs().region), kRegion);

    const auto dialogs = rig.window.dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].kind, HeadlessWindow::DialogKind::Message);
    EXPECT_EQ(gbk_to_utf8(dialogs[0].text), "没有采集结果");
    EXPECT_EQ(gbk_to_utf8(dialogs[0].caption), "结果");
    EXPECT_EQ(rig.window.list().row_count(), 0);
    EXPECT_EQ(rig.harvest.state.load(), kIdle);
    EXPECT_TRUE(rig.window.is_button_enabled(Button::StartCompanies));
    EXPECT_TRUE(rig.window.is_button_enabled(Button::StartContacts));
    EXPECT_EQ(gbk_to_utf8(rig.window.status_part(8)), "状态:未开始");
    EXPECT_EQ(rig.ended(Phase::CompanySearch), 1);
}

TEST_F(CompanySearch, StartResetsTheCountersButFilteredAndDoesNothingWhileRunning) {
    HarvestCounters& c = rig.harvest.counters;
    c.processed = 9;
    c.total = 9;
    c.pages = 9;
    c.valid = 9;
    c.filtered = 5;
    Gate gate;
    rig.fetcher.set_hook([&](const FetchRequest&) { gate.wait(); });
    start_company_search(rig.harvest);
    ASSERT_TRUE(gate.wait_for_waiters(1));

    EXPECT_EQ(c.processed.load() + c.total.load() + c.pages.load() + c.valid.load(), 0);
    EXPECT_EQ(c.filtered.load(), 5);
    EXPECT_EQ(rig.harvest.state.load(), kRunning);
    EXPECT_FALSE(rig.window.is_button_enabled(Button::StartCompanies));
    EXPECT_FALSE(rig.window.is_button_enabled(Button::StartContacts));
    EXPECT_EQ(gbk_to_utf8(rig.window.status_part(9)), "正在开始");

    rig.window.list().append_company(GbkText("kept"), gbk("留"));
    start_company_search(rig.harvest);  // a harvest runs: nothing happens
    EXPECT_EQ(rig.window.list().row_count(), 1);
    gate.open();
    rig.settle();
    EXPECT_EQ(rig.fetcher.total(), 1);
}

TEST_F(CompanySearch, TotalsWithoutAPageCountGiveOnePage) {
    set_totals("<p>共找到3条</p>");
    start_company_search(rig.harvest);
    rig.settle();
    EXPECT_EQ(rig.fetcher.count(page_url(1, false)), 1);
    EXPECT_EQ(rig.fetcher.count(page_url(1, true)), 1);
    EXPECT_EQ(rig.fetcher.count(page_url(2, false)), 0);
    EXPECT_EQ(rig.harvest.counters.pages.load(), 1);
    EXPECT_EQ(rig.harvest.counters.total.load(), 3);
    EXPECT_EQ(rig.ended(Phase::CompanySearch), 1);
}

TEST_F(CompanySearch, APageCountFromThePageIsBounded) {
    set_totals(totals_page(999999999, 5));
    // Stop at the first result page: the rest is skipped.
    rig.fetcher.set_hook([&](const FetchRequest& r) {
        if (r.url != query_url()) stop_harvest(rig.harvest);
    });
    start_company_search(rig.harvest);
    rig.settle();
    EXPECT_EQ(rig.harvest.counters.pages.load(), kMaxResultPages);
    EXPECT_EQ(rig.ended(Phase::CompanySearch), 0);
}

TEST_F(CompanySearch, HarvestsEveryPageThenRunsTheContactPhase) {
    rig.window.set_edit_text(EditBox::Filter, gbk("电子"));
    set_totals(totals_page(2, 4));
    set_result_page(1, first_answer(company_block("明亮照明", "ml"), company_block("页外公司", "out")),
                    company_block("华光电子", "hg"));
    set_result_page(2, first_answer(company_block("星辰灯饰", "xc")), company_block("无号公司", ""));
    set_company_page("ml", "甲");
    set_company_page("xc", "乙");
    start_company_search(rig.harvest);
    rig.settle();

    EXPECT_EQ(rig.ended(Phase::CompanySearch), 1);
    EXPECT_EQ(rig.ended(Phase::Contacts), 1);
    ResultList& list = rig.window.list();
    ASSERT_EQ(list.row_count(), 2);
    // Pages run on two workers in either order; the rows are numbered 1, 2.
    std::map<std::string, std::string> contact_by_id;
    for (int r = 0; r < 2; ++r) {
        EXPECT_EQ(rig.cell(r, kColNumber), std::to_string(r + 1));
        contact_by_id[rig.cell(r, kColId)] = rig.cell(r, kColContact);
    }
    EXPECT_EQ(contact_by_id, (std::map<std::string, std::string>{{"ml", "甲"}, {"xc", "乙"}}));
    EXPECT_EQ(company_page_requests(), 2);
    EXPECT_EQ(rig.questions(), 1);  // the export offer, answered No
}

TEST_F(CompanySearch, ConfirmationAnsweredNoLeavesTheRowsListed) {
    rig.window.set_checked(CheckBox::ConfirmContacts, true);
    set_totals(totals_page(1, 1));
    set_result_page(1, first_answer(company_block("明亮照明", "ml")), "");
    start_company_search(rig.harvest);
    rig.settle();

    const auto dialogs = rig.window.dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(gbk_to_utf8(dialogs[0].text), "采集公司已完成\r\n是否开始采集信息");
    EXPECT_EQ(gbk_to_utf8(dialogs[0].caption), "完成");
    EXPECT_EQ(company_page_requests(), 0);
    EXPECT_EQ(rig.window.list().row_count(), 1);
    EXPECT_EQ(rig.harvest.state.load(), kIdle);
    EXPECT_EQ(rig.ended(Phase::CompanySearch), 1);
    EXPECT_EQ(rig.ended(Phase::Contacts), 0);
}

TEST_F(CompanySearch, ConfirmationAnsweredYesStartsTheContactPhase) {
    rig.window.set_checked(CheckBox::ConfirmContacts, true);
    rig.window.set_checked(CheckBox::PromptExport, false);
    rig.window.set_question_policy([](const GbkText&, const GbkText&) { return true; });
    set_totals(totals_page(1, 1));
    set_result_page(1, first_answer(company_block("明亮照明", "ml")), "");
    set_company_page("ml", "甲");
    start_company_search(rig.harvest);
    rig.settle();
    EXPECT_EQ(rig.cell(0, kColContact), "甲");
    EXPECT_EQ(rig.ended(Phase::Contacts), 1);
}

TEST_F(CompanySearch, EndRunsOnceWhenFiftyPagesFinishTogether) {
    for (int iteration = 0; iteration < 25; ++iteration) {
        SCOPED_TRACE(iteration);
        PhaseRig local;
        local.window.set_edit_text(EditBox::Keyword, gbk(kKeyword));
        local.window.set_edit_text(EditBox::Region, gbk(kRegion));
        local.window.set_edit_text(EditBox::Threads, GbkText("50"));
        local.window.set_checked(CheckBox::ConfirmContacts, true);  // answered No
        const GbkText query = search_url(local.harvest.site, gbk(kKeyword), gbk(kRegion));
        local.fetcher.set_page(query, gbk(totals_page(50, 500)));
        Gate gate;
        local.fetcher.set_hook([&](const FetchRequest& r) {
            if (r.url != query) gate.wait();
        });
        start_company_search(local.harvest);
        ASSERT_TRUE(gate.wait_for_waiters(50));
        gate.open();
        local.settle();
        EXPECT_EQ(local.harvest.counters.processed.load(), 50 * 20);
        EXPECT_EQ(local.ended(Phase::CompanySearch), 1);
        EXPECT_EQ(local.questions(), 1);
        EXPECT_EQ(local.harvest.completion_guard.load(), 0);
    }
}

TEST_F(CompanySearch, StopInTheMiddleStartsNoContactPhase) {
    // Four pages on one worker: three are skipped. One page: the last item is
    // in hand when Stop comes, and its completion must not carry on.
    for (int pages : {4, 1}) {
        SCOPED_TRACE(pages);
        PhaseRig local;
        local.window.set_edit_text(EditBox::Keyword, gbk(kKeyword));
        local.window.set_edit_text(EditBox::Region, gbk(kRegion));
        local.window.set_edit_text(EditBox::Threads, GbkText("1"));
        const GbkText query = search_url(local.harvest.site, gbk(kKeyword), gbk(kRegion));
        local.fetcher.set_page(query, gbk(totals_page(pages, 10)));
        for (int p = 1; p <= pages; ++p)
            local.fetcher.set_page(result_page_url(local.harvest.site, gbk(kKeyword), gbk(kRegion), p, true),
                                   gbk(company_block("公司" + std::to_string(p), "c" + std::to_string(p))));
        Gate gate;
        local.fetcher.set_hook([&](const FetchRequest& r) {
            if (r.url != query) gate.wait();
        });
        start_company_search(local.harvest);
        ASSERT_TRUE(gate.wait_for_waiters(1));
        stop_harvest(local.harvest);
        gate.open();
        local.settle();

        EXPECT_EQ(local.window.list().row_count(), 1);  // the page in hand still lands
        EXPECT_EQ(local.fetcher.total(), 3);            // the query and one page's two fetches
        EXPECT_TRUE(local.window.dialogs().empty());
        EXPECT_EQ(local.ended(Phase::CompanySearch), 0);
        EXPECT_EQ(local.harvest.state.load(), kIdle);
        EXPECT_TRUE(local.window.is_button_enabled(Button::StartCompanies));
    }
}

TEST_F(CompanySearch, StopDuringTheFirstQueryDistributesNothing) {
    set_totals(totals_page(3, 30));
    Gate gate;
    rig.fetcher.set_hook([&](const FetchRequest&) { gate.wait(); });
    start_company_search(rig.harvest);
    ASSERT_TRUE(gate.wait_for_waiters(1));
    stop_harvest(rig.harvest);
    gate.open();
    rig.settle();
    EXPECT_EQ(rig.fetcher.total(), 1);
    EXPECT_TRUE(rig.window.dialogs().empty());
    EXPECT_EQ(rig.harvest.state.load(), kIdle);
    EXPECT_TRUE(rig.window.is_button_enabled(Button::StartCompanies));
}

TEST_F(CompanySearch, ResultPageJoinsTheFragmentWithTheSecondAnswer) {
    rig.harvest.set_inputs({gbk(kKeyword), GbkText(), gbk(kRegion)});
    const std::string inside = company_block("明亮照明", "ml");
    set_result_page(3, first_answer(inside, company_block("页外公司", "out")), company_block("华光电子", "hg"));
    rig.harvest.counters.processed = 1;
    result_page_job(rig.harvest, 3);

    ResultList& list = rig.window.list();
    ASSERT_EQ(list.row_count(), 2);
    EXPECT_EQ(rig.cell(0, kColId), "ml");
    EXPECT_EQ(rig.cell(1, kColId), "hg");
    EXPECT_EQ(rig.cell(1, kColNumber), "2");
    EXPECT_EQ(rig.cell(1, kColName), "华光电子");
    EXPECT_EQ(gbk_to_utf8(rig.window.clipboard()), inside);
    EXPECT_EQ(rig.harvest.counters.processed.load(), 3);
    EXPECT_EQ(rig.harvest.counters.valid.load(), 2);
    EXPECT_EQ(gbk_to_utf8(rig.window.status_part(5)), "第3条");

    // Both fetches of a page fail: twenty companies seen, no row.
    result_page_job(rig.harvest, 4);
    EXPECT_EQ(rig.harvest.counters.processed.load(), 23);
    EXPECT_EQ(list.row_count(), 2);
    EXPECT_TRUE(rig.window.clipboard().empty());
}

}  // namespace
}  // namespace lanyi
