#include "demo/demo_pages.h"

#include <gtest/gtest.h>

#include "harvester_rules.h"
#include "text/extract.h"
#include "text/text_ops.h"

namespace lanyi {
namespace {

TEST(DemoPages, SearchAnswerCarriesTheTotals) {
    struct {
        int companies;
        const char* pages;
        const char* total;
    } cases[] = {{45, "3", "45"}, {20, "1", "20"}, {0, "0", "0"}};
    for (const auto& c : cases) {
        DemoDirectory directory(1, c.companies);
        GbkText page(demo_search_answer(directory, GbkText("led"), GbkText()));
        EXPECT_EQ(text_between(page, GbkText("total\">") + gbk("共"), gbk("页")).view(), c.pages);
        EXPECT_EQ(text_between(page, gbk("共找到"), gbk("条")).view(), c.total);
    }
}

struct Listed {
    std::string id, name;
};

// Joins a result page's two answers and reads its blocks as the harvester does.
std::vector<Listed> read_result_page(const DemoDirectory& directory, const GbkText& keyword,
                                     const GbkText& region, int p) {
    GbkText first(demo_first_answer(directory, keyword, region, p));
    GbkText second(demo_second_answer(directory, keyword, region, p));
    GbkText text = text_between(first, gbk("发发在线"), gbk("来澜驿做生意")) + second;
    std::vector<Listed> listed;
    for (const GbkText& block : gbk_split(text, gbk("成立时间"))) {
        GbkText name = text_between(block, GbkText(";\" target=\"_blank\" title=\""), GbkText("\" >"));
        GbkText id = text_between(block, GbkText("exposurelog=\""), GbkText("\" href"));
        EXPECT_EQ(name.empty(), id.empty()) << "a block with only one of name and id";
        if (!name.empty()) listed.push_back({id.str(), name.str()});
    }
    return listed;
}

TEST(DemoPages, ResultPagesYieldExactlyTheirCompanies) {
    DemoDirectory directory(9, 45);
    const GbkText keyword = gbk("阀门"), region = gbk("浙江省:温州市");
    for (int p = 1; p <= 4; ++p) {
        SCOPED_TRACE(p);
        std::vector<DemoCompany> want = directory.page(keyword, region, p);
        std::vector<Listed> got = read_result_page(directory, keyword, region, p);
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].id, want[i].id.str());
            EXPECT_EQ(got[i].name, want[i].name.str());
        }
    }
    // The first answer's fragment holds the first ten, the second answer the rest.
    GbkText first(demo_first_answer(directory, keyword, region, 1));
    GbkText fragment = text_between(first, gbk("发发在线"), gbk("来澜驿做生意"));
    EXPECT_EQ(gbk_split(fragment, gbk("成立时间")).size(), 11u);
}

TEST(DemoPages, CompanyPagesAgreeWithTheStoredTruth) {
    DemoDirectory directory(21, 800);
    for (const DemoCompany& company : directory.companies(GbkText("led"), GbkText())) {
        DemoCompanyPage shown = directory.company_page(company.id);
        GbkText page(demo_company_page(shown));
        DemoContacts read = testing::read_contacts_like_the_harvester(page);
        ASSERT_EQ(read, extracted_contacts(shown)) << company.id.str();
        ASSERT_EQ(stored_from_extracted(read), company.stored) << company.id.str();
    }
}

}  // namespace
}  // namespace lanyi
