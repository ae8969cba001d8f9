#include "demo/demo_directory.h"

#include <gtest/gtest.h>

#include <set>

#include "text/code_page.h"
#include "text/text_ops.h"

namespace lanyi {
namespace {

bool is_host_label(std::string_view id) {
    if (id.empty() || id.size() > 63) return false;
    for (char c : id)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

bool contains(const GbkText& text, const GbkText& part) { return gbk_find(text, part) > 0; }

TEST(DemoDirectory, SameSeedSameCompaniesOtherSeedOthers) {
    DemoDirectory a(7, 60), b(7, 60), c(8, 60);
    GbkText keyword("led"), region = gbk("广东省:广州市");
    auto first = a.companies(keyword, region);
    auto second = b.companies(keyword, region);
    ASSERT_EQ(first.size(), 60u);
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].id, second[i].id);
        EXPECT_EQ(first[i].name, second[i].name);
        EXPECT_EQ(first[i].stored, second[i].stored);
    }
    EXPECT_NE(first[0].id, c.companies(keyword, region)[0].id);
    // Another region is another search.
    EXPECT_NE(first[0].id, a.companies(keyword, gbk("浙江省"))[0].id);
}

TEST(DemoDirectory, IdsAreUniqueHostLabelsTheDirectoryKnows) {
    DemoDirectory directory(3, 500);
    std::set<std::string> seen;
    for (const DemoCompany& company : directory.companies(GbkText("pump"), GbkText())) {
        EXPECT_TRUE(is_host_label(company.id.view())) << company.id.str();
        EXPECT_TRUE(seen.insert(company.id.str()).second) << company.id.str();
        EXPECT_TRUE(directory.is_company_id(company.id));
        std::string altered = company.id.str();
        altered.back() = altered.back() == 'a' ? 'b' : 'a';
        EXPECT_FALSE(directory.is_company_id(GbkText(altered)));
    }
    EXPECT_FALSE(DemoDirectory(4, 500).is_company_id(GbkText(*seen.begin())));
    for (const char* bad : {"", "www", "ABCDEFGHIJKLM", "hengda0000abcd!!"})
        EXPECT_FALSE(directory.is_company_id(GbkText(bad))) << bad;
}

TEST(DemoDirectory, PagesSplitTheResultsTwentyAtATime) {
    DemoDirectory directory(1, 45);
    EXPECT_EQ(directory.page_count(), 3);
    auto all = directory.companies(GbkText("x"), GbkText());
    std::vector<DemoCompany> joined;
    for (int p = 1; p <= 3; ++p)
        for (auto& company : directory.page(GbkText("x"), GbkText(), p)) joined.push_back(company);
    ASSERT_EQ(joined.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(joined[i].id, all[i].id);
    EXPECT_EQ(directory.page(GbkText("x"), GbkText(), 2).size(), 20u);
    EXPECT_EQ(directory.page(GbkText("x"), GbkText(), 3).size(), 5u);
    EXPECT_TRUE(directory.page(GbkText("x"), GbkText(), 0).empty());
    EXPECT_TRUE(directory.page(GbkText("x"), GbkText(), 4).empty());
    EXPECT_EQ(DemoDirectory(1, 0).page_count(), 0);
}

TEST(DemoDirectory, NamesCarryTheKeywordAndSomeTheFilterWord) {
    DemoDirectory directory(11, 600);
    GbkText keyword("led"), upper("LED"), trade = gbk("贸易");
    int with_trade = 0, upper_case = 0;
    for (const DemoCompany& company : directory.companies(keyword, GbkText())) {
        bool plain = contains(company.name, keyword), shouted = contains(company.name, upper);
        EXPECT_TRUE(plain || shouted) << gbk_to_utf8(company.name);
        upper_case += shouted;
        with_trade += contains(company.name, trade);
    }
    EXPECT_GT(with_trade, 60);  // about one in five
    EXPECT_LT(with_trade, 200);
    EXPECT_GT(upper_case, 20);

    for (const DemoCompany& company : directory.companies(gbk("阀门"), GbkText()))
        EXPECT_TRUE(contains(company.name, gbk("阀门")));
}

// A keyword holding page structure cannot break the result page: it loses
// the quotes, brackets and markers, and keeps the rest.
TEST(DemoDirectory, KeywordsThatLookLikeMarkupStayInert) {
    DemoDirectory directory(2, 20);
    GbkText keyword = gbk("a\"b<c>d&e成立时间f来澜驿做生意g") + GbkText("\x81");
    for (const DemoCompany& company : directory.companies(keyword, GbkText())) {
        std::string_view name = company.name.view();
        EXPECT_EQ(name.find_first_of("\"<>&"), std::string_view::npos);
        EXPECT_FALSE(contains(company.name, gbk("成立时间")));
        EXPECT_FALSE(contains(company.name, gbk("来澜驿做生意")));
        EXPECT_TRUE(contains(gbk_lower(company.name), GbkText("abcdef")));
    }
}

TEST(DemoDirectory, StoredValuesFollowTheSwapAndTheMobileFilter) {
    const GbkText M("13812345678"), T("020-12345678"), U("0755-87654321");
    struct {
        GbkText mobile, telephone, want_mobile, want_telephone;
    } cases[] = {
        {M, T, M, T},
        {T, M, M, T},
        {GbkText(), M, M, GbkText()},
        {T, GbkText(), GbkText(), T},
        {T, U, GbkText(), T},  // swapped, then the filter drops a landline mobile
        {GbkText("+8613812345678"), T, GbkText(), T},
        {GbkText("1381234567"), T, GbkText(), T},
        {GbkText("138123456789"), T, GbkText("138123456789"), T},
        {GbkText("88886666"), GbkText(), GbkText(), GbkText()},
    };
    for (const auto& c : cases) {
        DemoContacts values;
        values.mobile = c.mobile;
        values.telephone = c.telephone;
        values.address = GbkText("a\r\nb\rc");
        DemoContacts stored = stored_from_extracted(values);
        EXPECT_EQ(stored.mobile, c.want_mobile) << c.mobile.str() << " / " << c.telephone.str();
        EXPECT_EQ(stored.telephone, c.want_telephone) << c.mobile.str() << " / " << c.telephone.str();
        EXPECT_EQ(stored.address.view(), "ab\rc");
    }
}

TEST(DemoDirectory, ExtractionModelAppliesTheLengthLimits) {
    auto shown = [](FieldForm form, std::string text) { return ShownField{form, GbkText(text)}; };
    DemoCompanyPage page;
    page.mobile = shown(FieldForm::Primary, "1234567890123456789012345");       // 25: kept
    page.telephone = shown(FieldForm::Primary, "12345678901234567890123456");   // 26: labelled form absent
    page.fax = shown(FieldForm::Fallback, "0571 8888 6666 0571 8888 6666 0571");  // labelled: kept
    page.contact = shown(FieldForm::Fallback, "");
    page.qq = shown(FieldForm::Fallback, "12345");
    DemoContacts values = extracted_contacts(page);
    EXPECT_EQ(values.mobile.size(), 25u);
    EXPECT_TRUE(values.telephone.empty());
    EXPECT_EQ(values.fax.view(), "0571888866660571888866660571");
    EXPECT_TRUE(values.contact.empty());
    EXPECT_EQ(values.qq.view(), "12345");
}

TEST(DemoDirectory, DataSpreadCoversEveryForm) {
    DemoDirectory directory(5, 1000);
    int forms[7][3] = {};
    int swapped = 0, plus86 = 0, spaced = 0, full_width = 0, crlf = 0, empty_mobile = 0;
    for (const DemoCompany& company : directory.companies(GbkText("led"), GbkText())) {
        DemoCompanyPage page = directory.company_page(company.id);
        const ShownField* fields[] = {&page.contact, &page.mobile, &page.telephone, &page.fax,
                                      &page.email,   &page.qq,     &page.address};
        for (int f = 0; f < 7; ++f) ++forms[f][static_cast<int>(fields[f]->form)];
        swapped += !page.mobile.text.empty() && page.mobile.text.view()[0] == '0';
        plus86 += page.mobile.text.view().substr(0, 3) == "+86";
        spaced += page.mobile.text.view().find(' ') != std::string_view::npos;
        full_width += gbk_find(page.mobile.text, gbk("\u3000")) > 0;
        crlf += page.address.text.view().find("\r\n") != std::string_view::npos;
        empty_mobile += company.stored.mobile.empty();
    }
    for (int f = 0; f < 7; ++f)
        for (int form = 0; form < 3; ++form) EXPECT_GT(forms[f][form], 10) << "field " << f << " form " << form;
    for (int count : {swapped, plus86, spaced, full_width, crlf}) EXPECT_GT(count, 5);
    EXPECT_GT(empty_mobile, 100);
    EXPECT_LT(empty_mobile, 700);
}

}  // namespace
}  // namespace lanyi
