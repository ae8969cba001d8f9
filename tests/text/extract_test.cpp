#include "text/extract.h"

#include <gtest/gtest.h>

#include <climits>

#include "text/code_page.h"
#include "gbk_printer.h"

namespace lanyi {
namespace {

struct BetweenCase {
    GbkText text;
    GbkText start_marker;
    GbkText end_marker;
    int start;
    bool case_sensitive;
    GbkText expected;
};

class TextBetween : public testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetween, CutsBetweenTheFirstStartAndTheNextEnd) {
    const BetweenCase& c = GetParam();
    EXPECT_EQ(text_between(c.text, c.start_marker, c.end_marker, c.start, c.case_sensitive), c.expected);
}

BetweenCase plain(const char* text, const char* open, const char* close, const char* expected,
                  int start = 1, bool case_sensitive = false) {
    return {GbkText(text), GbkText(open), GbkText(close), start, case_sensitive, GbkText(expected)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetween,
    testing::Values(
        BetweenCase{gbk("<span class=\"total\">共12页</span>"), gbk("total\">共"), gbk("页"), 1, false,
                    GbkText("12")},
        BetweenCase{gbk("<span class=\"total\">共12页</span>"), gbk("total#引号>共"), gbk("页"), 1, false,
                    GbkText("12")},
        BetweenCase{GbkText("<a href=\"x.html\">"), gbk("href=#引号"), gbk("#引号>"), 1, false,
                    GbkText("x.html")},
        plain("abc", "[", "]", ""),                    // start marker missing
        plain("]a[b", "[", "]", ""),                   // end marker only before the start marker
        plain("[]", "[", "]", ""), plain("abc[", "[", "]", ""),
        plain("[a][b]", "[", "]", "a"), plain("[a][b]", "[", "]", "b", 3),
        plain("[a][b]", "[", "]", "a", -3), plain("[a][b]", "[", "]", "a", INT_MIN),
        plain("[a][b]", "[", "]", "", INT_MAX),
        plain("<B>x</B>", "<b>", "</b>", "x"), plain("<B>x</B>", "<b>", "</b>", "", 1, true),
        plain("<b>x</b>", "<b>", "</b>", "x", 1, true),
        plain("[a]", "[", "", ""),                     // empty end marker
        plain("ab]c", "", "]", "ab"),                  // empty start marker: from the start
        plain("aa", "a", "a", ""), plain("aXYa", "a", "A", "XY"),
        // Markers match only at character starts.
        plain("\xB0[x][y]", "[", "]", "y"), plain("[\xB0]x]", "[", "]", "\xB0]x"),
        plain("", "[", "]", "")));

struct EncodeCase {
    GbkText text;
    bool pass_through;
    bool as_utf8;
    const char* expected;
};

class UrlEncode : public testing::TestWithParam<EncodeCase> {};

TEST_P(UrlEncode, PercentEncodesBytes) {
    const EncodeCase& c = GetParam();
    EXPECT_EQ(url_encode(c.text, c.pass_through, c.as_utf8), GbkText(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlEncode,
    testing::Values(EncodeCase{gbk("中国:"), true, false, "%D6%D0%B9%FA%3A"},
                    EncodeCase{GbkText("azAZ09-."), true, false, "azAZ09-."},
                    EncodeCase{GbkText("a b"), true, false, "a%20b"},
                    EncodeCase{GbkText("_~/+&="), true, false, "%5F%7E%2F%2B%26%3D"},
                    EncodeCase{GbkText("a1-"), false, false, "%61%31%2D"},
                    EncodeCase{GbkText("\xFF\x80\x01"), true, false, "%FF%80%01"},
                    EncodeCase{gbk("中"), false, true, "%E4%B8%AD"},
                    EncodeCase{gbk("a中"), true, true, "a%E4%B8%AD"},
                    EncodeCase{GbkText("\x80"), true, true, "%EF%BF%BD"},  // not GBK: U+FFFD
                    EncodeCase{GbkText(), true, false, ""}, EncodeCase{GbkText(), false, true, ""}));

}  // namespace
}  // namespace lanyi
