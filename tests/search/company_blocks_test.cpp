#include "search/company_blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "search/company_search.h"
#include "search_pages.h"
#include "text/code_page.h"

namespace lanyi {
namespace {

using testing_support::company_block;

TEST(SearchUrls, ByteForByte) {
    SiteConfig site;
    site.search_host = GbkText("so.example.test");
    const std::string prefix = "http://so.example.test/?w=";
    const std::string region = "%D6%D0%B9%FA%3A%B9%E3%B6%AB%CA%A1%3A%B9%E3%D6%DD%CA%D0";
    EXPECT_EQ(search_url(site, GbkText("led"), gbk("广东省:广州市")).str(),
              prefix + "led&mc=enterprise&z=" + region);
    EXPECT_EQ(search_url(site, GbkText(), GbkText()).str(), prefix + "&mc=enterprise&z=%D6%D0%B9%FA%3A");
    EXPECT_EQ(search_url(site, gbk("a b_c-1.~"), GbkText()).str(),
              prefix + "a%20b%5Fc-1.%7E&mc=enterprise&z=%D6%D0%B9%FA%3A");
    EXPECT_EQ(result_page_url(site, GbkText("led"), gbk("广东省:广州市"), 12, false).str(),
              prefix + "led&mc=enterprise&ee=12&z=" + region);
    EXPECT_EQ(result_page_url(site, GbkText("led"), gbk("广东省:广州市"), 1, true).str(),
              prefix + "led&mc=enterprise&ee=1&z=" + region + "&af=3");
}

struct Row {
    std::string id, name;
    bool operator==(const Row&) const = default;
};

TEST(ParseCompanyBlocks, Cases) {
    struct Case {
        const char* what;
        std::string page;
        std::string filter;
        std::vector<Row> rows;
        int processed, filtered, valid;
        std::size_t blocks;
    } cases[] = {
        {"two companies", company_block("华光电子", "hg") + company_block("明亮照明", "ml"), "",
         {{"hg", "华光电子"}, {"ml", "明亮照明"}}, 2, 0, 2, 3},
        {"the filter word drops a name", company_block("华光电子", "hg") + company_block("明亮照明", "ml"),
         "电子", {{"ml", "明亮照明"}}, 2, 1, 1, 3},
        {"a filter of spaces filters nothing", company_block("a b", "x1"), " 　 ", {{"x1", "a b"}}, 1, 0, 1, 2},
        {"\" ab\" drops only ab after a space", company_block("x ab", "x1") + company_block("xab", "x2"), " ab",
         {{"x2", "xab"}}, 2, 1, 1, 3},
        {"the filter is case-sensitive", company_block("abc灯饰", "x1"), "ABC", {{"x1", "abc灯饰"}}, 1, 0, 1, 2},
        {"a name without an id counts as processed only", company_block("无号公司", ""), "", {}, 1, 0, 0, 2},
        {"a filtered name without an id still counts as filtered", company_block("坏电子", ""), "电子", {}, 1,
         1, 0, 2},
        {"a block without a name counts nothing", "<li>成立时间</li>", "", {}, 0, 0, 0, 2},
        {"no separator: the whole text is one block",
         "<a x=\";\" target=\"_blank\" title=\"单家\" >单家</a><a exposurelog=\"dj\" href=\"/\">", "",
         {{"dj", "单家"}}, 1, 0, 1, 1},
        {"an empty page", "", "", {}, 20, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ParsedPage parsed = parse_company_blocks(gbk(c.page), gbk(c.filter));
        std::vector<Row> rows;
        for (const CompanyBlock& b : parsed.blocks)
            if (b.has_row()) rows.push_back({gbk_to_utf8(b.id), gbk_to_utf8(b.name)});
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(parsed.processed, c.processed);
        EXPECT_EQ(parsed.filtered, c.filtered);
        EXPECT_EQ(parsed.valid, c.valid);
        EXPECT_EQ(parsed.blocks.size(), c.blocks);
    }
}

}  // namespace
}  // namespace lanyi
