#include "contacts/extract_contacts.h"

#include <gtest/gtest.h>

#include <string>

#include "phase_rig.h"
#include "text/code_page.h"

namespace lanyi {
namespace {

using testing_support::PhaseRig;

std::string utf8(const GbkText& t) { return gbk_to_utf8(t); }

// A company page carrying every field behind its primary marker.
std::string full_page() {
    return "<div><span title=\"张三\">经理</span></div>"
           "<p title=\"手机：138 1234 5678\"></p>"
           "<p title=\"电话：020-88887777\"></p>"
           "<p title=\"传真：020-88886666\"></p>"
           "<li><font>邮件:</font>sales@hua.cn</li>"
           "<a href=\"tencent://message/?Menu=yes&uin=10001&Site=hua\">QQ</a>"
           "<p>地&nbsp;&nbsp;址：广州市天河路1号<br></p>";
}

enum Field { Contact, Mobile, Telephone, Fax, Email, QQ, Address };

std::string field_of(const ContactFields& f, Field which) {
    const GbkText* values[] = {&f.contact, &f.mobile, &f.telephone, &f.fax,
                               &f.email,   &f.qq,     &f.address};
    return utf8(*values[which]);
}

TEST(ExtractFields, MarkerCases) {
    const std::string n25 = "1234567890123456789012345";
    struct Case {
        const char* what;
        std::string page;
        Field field;
        std::string expected;
    } cases[] = {
        {"contact, primary, spaces of both widths removed", "<b><span title=\"张 　三\">", Contact, "张三"},
        {"contact, fallback", "<li><span>联系人：</span>李四</li>", Contact, "李四"},
        {"mobile, primary, digit groups joined", "<p title=\"手机：138 1234 5678\">", Mobile, "13812345678"},
        {"mobile, primary ran on past the value: fallback",
         "<li><span>手机：</span>13900001111</li><a href=\"x\">", Mobile, "13900001111"},
        {"mobile of exactly 25 bytes stays", "手机：" + n25 + "\"<span>手机：</span>999</li>", Mobile, n25},
        {"mobile of 26 bytes falls back", "手机：" + n25 + "6\"<span>手机：</span>999</li>", Mobile, "999"},
        {"a fallback that finds nothing still replaces", "手机：" + n25 + "6\"", Mobile, ""},
        {"telephone, no quote after the primary: fallback", "<span>电话：</span>020-1234</li>", Telephone,
         "020-1234"},
        {"fax, primary", "<p title=\"传真：0755-123\">", Fax, "0755-123"},
        {"e-mail, primary, marker letters in any case", "<FONT>邮件:</FONT>a@b.cn</li>", Email, "a@b.cn"},
        {"e-mail, fallback", "<li>电子邮箱：&nbsp;c@d.cn</li>", Email, "c@d.cn"},
        {"e-mail, full-width colon is not the primary marker", "<font>邮件：</font>x@y.cn</li>", Email, ""},
        {"QQ of exactly 15 bytes stays", "&uin=123456789012345&Site=1\"", QQ, "123456789012345"},
        {"QQ of 16 bytes or more falls back to the quote",
         "<a href=\"x?k=1&uin=12345\"><img src=\"a.gif\"></a><a href=\"y?a=1&b=2\">", QQ, "12345"},
        {"empty QQ stays empty", "&uin=&Site=abc\"", QQ, ""},
        {"address, primary", "地&nbsp;&nbsp;址：广州 市<br>", Address, "广州市"},
        {"address, fallback", "<span>地址：</span>深圳市</li>", Address, "深圳市"},
        {"no markers at all", "<html>nothing here</html>", Contact, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(field_of(extract_fields(gbk(c.page)), c.field), c.expected);
    }
}

TEST(ExtractFields, FullPageGivesEveryField) {
    const ContactFields f = extract_fields(gbk(full_page()));
    EXPECT_EQ(utf8(f.contact), "张三");
    EXPECT_EQ(utf8(f.mobile), "13812345678");
    EXPECT_EQ(utf8(f.telephone), "020-88887777");
    EXPECT_EQ(utf8(f.fax), "020-88886666");
    EXPECT_EQ(utf8(f.email), "sales@hua.cn");
    EXPECT_EQ(utf8(f.qq), "10001");
    EXPECT_EQ(utf8(f.address), "广州市天河路1号");
}

TEST(NumberRules, SwapAndStrongFilter) {
    const std::string M = "13812345678", T = "02088887777", U = "07551234567";
    struct Case {
        std::string mobile, telephone;
        bool swap, strong;
        std::string mobile_after, telephone_after;
    } cases[] = {
        {M, T, true, false, M, T},
        {T, M, true, false, M, T},
        {"", M, true, false, M, ""},
        {T, "", true, false, "", T},
        {T, U, true, false, U, T},
        {T, M, false, false, T, M},  // no swap without the box
        {"+8613812345678", T, false, true, "", T},
        {"1381234567", T, false, true, "", T},     // 10 digits
        {"138123456789", T, false, true, "138123456789", T},  // 12 digits survive
        {"23812345678", T, false, true, "", T},
        {"", T, false, true, "", T},
        {T, M, true, true, M, T},  // the swap comes first, then M passes the filter
        {T, "", true, true, "", T},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mobile + " / " + c.telephone + (c.swap ? " swap" : "") + (c.strong ? " strong" : ""));
        ContactFields f;
        f.mobile = GbkText(c.mobile);
        f.telephone = GbkText(c.telephone);
        apply_number_rules(f, c.swap, c.strong);
        EXPECT_EQ(utf8(f.mobile), c.mobile_after);
        EXPECT_EQ(utf8(f.telephone), c.telephone_after);
    }
}

class ExtractContacts : public ::testing::Test {
protected:
    ExtractContacts() {
        key = rig.window.list().key_of(rig.window.list().append_company(GbkText("hua"), gbk("华公司")) - 1);
    }
    std::vector<std::string> row() {
        std::vector<std::string> cells;
        for (const GbkText& c : rig.window.list().row_cells(0)) cells.push_back(utf8(c));
        return cells;
    }
    PhaseRig rig;
    RowKey key = 0;
};

TEST_F(ExtractContacts, AcceptedRowGetsColumnsThreeToNine) {
    rig.harvest.counters.filtered = 4;
    extract_contacts(rig.harvest, gbk(full_page()), key);
    EXPECT_EQ(row(), (std::vector<std::string>{"1", "hua", "华公司", "张三", "13812345678", "020-88887777",
                                               "020-88886666", "sales@hua.cn", "10001", "广州市天河路1号"}));
    EXPECT_EQ(rig.harvest.counters.valid.load(), 1);
    EXPECT_EQ(rig.harvest.counters.filtered.load(), 4);
}

TEST_F(ExtractContacts, EachRequiredBoxRejectsARowWithoutItsField) {
    struct Case {
        CheckBox box;
        std::string page;  // the full page with one field's marker spoiled
    };
    auto without = [](const std::string& marker) {
        std::string page = full_page();
        page.replace(page.find(marker), marker.size(), "--");
        return page;
    };
    const Case cases[] = {
        {CheckBox::RequireContact, without("<span title=")},
        {CheckBox::RequireMobile, without("手机：")},
        {CheckBox::RequireTelephone, without("电话：")},
        {CheckBox::RequireFax, without("传真：")},
        {CheckBox::RequireEmail, without("邮件:")},
        {CheckBox::RequireQQ, without("&uin=")},
        {CheckBox::RequireAddress, without("址：")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.box));
        PhaseRig local;
        ResultList& list = local.window.list();
        list.append_company(GbkText("hua"), gbk("华公司"));
        const RowKey k = list.key_of(0);

        // Unchecked, the missing field changes nothing.
        extract_contacts(local.harvest, gbk(c.page), k);
        EXPECT_EQ(local.harvest.counters.valid.load(), 1);
        EXPECT_EQ(utf8(list.get_cell(0, kColId)), "hua");

        local.window.set_checked(c.box, true);
        extract_contacts(local.harvest, gbk(c.page), k);
        EXPECT_EQ(list.row_cells(0), std::vector<GbkText>(kColumnCount));
        EXPECT_EQ(local.harvest.counters.filtered.load(), 1);
        EXPECT_EQ(local.harvest.counters.valid.load(), 1);
    }
}

TEST_F(ExtractContacts, EveryRequiredBoxPassesAFullPage) {
    for (CheckBox b : {CheckBox::RequireContact, CheckBox::RequireMobile, CheckBox::RequireTelephone,
                       CheckBox::RequireFax, CheckBox::RequireEmail, CheckBox::RequireQQ,
                       CheckBox::RequireAddress})
        rig.window.set_checked(b, true);
    extract_contacts(rig.harvest, gbk(full_page()), key);
    EXPECT_EQ(row()[kColContact], "张三");
    EXPECT_EQ(rig.harvest.counters.valid.load(), 1);
    EXPECT_EQ(rig.harvest.counters.filtered.load(), 0);
}

TEST_F(ExtractContacts, StrongFilterEmptiesAMobileThatThenFailsItsRequiredBox) {
    rig.window.set_checked(CheckBox::RequireMobile, true);
    extract_contacts(rig.harvest, gbk("<p title=\"手机：1381234567\">"), key);  // 10 digits
    EXPECT_EQ(rig.harvest.counters.filtered.load(), 1);
    EXPECT_TRUE(rig.window.list().get_cell(0, kColId).empty());
}

TEST_F(ExtractContacts, FailedFetchWithNothingRequiredIsAcceptedEmpty) {
    extract_contacts(rig.harvest, GbkText(), key);
    EXPECT_EQ(row(), (std::vector<std::string>{"1", "hua", "华公司", "", "", "", "", "", "", ""}));
    EXPECT_EQ(rig.harvest.counters.valid.load(), 1);
}

TEST_F(ExtractContacts, CrLfPairsAreRemovedFromWrittenValuesOnly) {
    rig.window.set_checked(CheckBox::RequireContact, true);
    // A contact of only CR LF passes the required test but is written empty;
    // a lone CR or LF stays.
    extract_contacts(rig.harvest, gbk("<b><span title=\"\r\n\"><span>地址：</span>甲\r\n乙\r丙\n</li>"), key);
    EXPECT_EQ(rig.harvest.counters.valid.load(), 1);
    EXPECT_EQ(row()[kColContact], "");
    EXPECT_EQ(row()[kColAddress], "甲乙\r丙\n");
}

TEST_F(ExtractContacts, ARowDeletedMeanwhileReceivesNothing) {
    rig.window.list().append_company(GbkText("other"), gbk("别家"));
    rig.window.list().delete_row(0);
    extract_contacts(rig.harvest, gbk(full_page()), key);
    EXPECT_EQ(row(), (std::vector<std::string>{"2", "other", "别家", "", "", "", "", "", "", ""}));
}

}  // namespace
}  // namespace lanyi
