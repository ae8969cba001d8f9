#include "text/text_ops.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "text/code_page.h"
#include "gbk_printer.h"

namespace lanyi {
namespace {

GbkText T(const char* bytes) { return GbkText(bytes); }

TEST(ByteCuts, FollowTheOutOfRangeRules) {
    const GbkText abcdef = T("abcdef");
    EXPECT_EQ(gbk_length(abcdef), 6);
    EXPECT_EQ(gbk_length(GbkText()), 0);

    EXPECT_EQ(gbk_left(T("ab"), 5), T("ab"));
    EXPECT_EQ(gbk_left(abcdef, 2), T("ab"));
    EXPECT_EQ(gbk_left(abcdef, 0), GbkText());
    EXPECT_EQ(gbk_left(abcdef, INT_MIN), GbkText());
    EXPECT_EQ(gbk_left(abcdef, INT_MAX), abcdef);

    EXPECT_EQ(gbk_right(T("abc"), 0), GbkText());
    EXPECT_EQ(gbk_right(abcdef, 2), T("ef"));
    EXPECT_EQ(gbk_right(abcdef, INT_MAX), abcdef);
    EXPECT_EQ(gbk_right(abcdef, INT_MIN), GbkText());

    EXPECT_EQ(gbk_mid(abcdef, 0, 3), GbkText());  // start 0 is not moved to 1
    EXPECT_EQ(gbk_mid(abcdef, 5, 10), T("ef"));
    EXPECT_EQ(gbk_mid(abcdef, 2, 3), T("bcd"));
    EXPECT_EQ(gbk_mid(abcdef, 6, 1), T("f"));
    EXPECT_EQ(gbk_mid(abcdef, 7, 1), GbkText());
    EXPECT_EQ(gbk_mid(abcdef, 2, INT_MAX), T("bcdef"));
    EXPECT_EQ(gbk_mid(abcdef, INT_MAX, INT_MAX), GbkText());
    EXPECT_EQ(gbk_mid(abcdef, INT_MIN, 3), GbkText());
    EXPECT_EQ(gbk_mid(abcdef, 1, -1), GbkText());
}

TEST(ByteCuts, MaySplitADoubleByteCharacter) {
    const GbkText text("\xB0\xA1\xB0\xA2");
    EXPECT_EQ(gbk_left(text, 1), T("\xB0"));
    EXPECT_EQ(gbk_mid(text, 2, 2), T("\xA1\xB0"));
}

struct FindCase {
    const char* text;
    const char* needle;
    int start;
    bool ignore_case;
    int expected;
};

void PrintTo(const FindCase& c, std::ostream* os) {
    *os << testing::PrintToString(GbkText(c.text)) << " needle " << testing::PrintToString(GbkText(c.needle))
        << " start " << c.start << (c.ignore_case ? " ignoring case" : "");
}

class Find : public testing::TestWithParam<FindCase> {};

TEST_P(Find, GivesThePositionOfTheFirstMatchAtACharacterStart) {
    const FindCase& c = GetParam();
    EXPECT_EQ(gbk_find(T(c.text), T(c.needle), c.start, c.ignore_case), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Find,
    testing::Values(
        // Starts: below 1 searches everything, beyond the end finds nothing.
        FindCase{"abcabc", "c", 4, false, 6}, FindCase{"abcabc", "c", 7, false, -1},
        FindCase{"abcabc", "c", 0, false, 3}, FindCase{"abcabc", "c", -5, false, 3},
        FindCase{"abcabc", "c", INT_MIN, false, 3}, FindCase{"abcabc", "c", INT_MAX, false, -1},
        FindCase{"abcabc", "bc", 3, false, 5},
        // Letter case.
        FindCase{"ABC", "b", 1, true, 2}, FindCase{"ABC", "b", 1, false, -1},
        FindCase{"xxABcab", "ab", 1, true, 3}, FindCase{"xxABcab", "ab", 1, false, 6},
        FindCase{"a<B>c<b>", "<b>", 1, true, 2}, FindCase{"a<B>c<b>", "<b>", 1, false, 6},
        FindCase{"a_b", "A_B", 1, true, 1}, FindCase{"[x", "{X", 1, true, -1},
        // The empty needle.
        FindCase{"abc", "", 1, false, 1}, FindCase{"abc", "", 3, false, 1},
        FindCase{"abc", "", 4, false, -1}, FindCase{"", "", 1, false, -1},
        FindCase{"", "a", 1, false, -1}, FindCase{"ab", "abc", 1, false, -1},
        // The lead-byte rule: no match begins in a second byte.
        FindCase{"\xB0\xA1\xB0\xA1", "\xA1\xB0", 1, false, -1},
        FindCase{"\xB0" "A", "A", 1, false, -1}, FindCase{"\xB0" "A", "a", 1, true, -1},
        FindCase{"\xB0" "ab" "ab", "ab", 1, false, 4}, FindCase{"\xB0" "ab" "ab", "AB", 1, true, 4},
        FindCase{"\xB0\xB0\xB0" "a", "a", 1, false, -1}, FindCase{"\xB0\xB0" "a", "a", 1, false, 3},
        FindCase{"\x80" "a" "\xFF\x80" "a", "a", 1, false, 5},
        // A match may end inside a character; a start may land on a second byte.
        FindCase{"\xB0\xA1", "\xB0", 1, false, 1},
        FindCase{"\xB0\xA1\xB0\xA1", "\xA1\xB0", 2, false, 2},
        // Folding reaches second bytes that happen to be letters.
        FindCase{"\xB0\x41", "\xB0\x61", 1, true, 1}, FindCase{"\xB0\x41", "\xB0\x61", 1, false, -1},
        // A lead byte at the very end has no second byte and ends the search.
        FindCase{"x\xB0", "\xB0", 1, false, -1}, FindCase{"\xB0", "\xB0", 1, true, -1},
        FindCase{"x\xB0\xA1" "y\xB0", "y", 1, false, 4}));

TEST(Find, WorksOnRealGbkText) {
    const GbkText page = gbk("<li>杭州某某公司</li><span class=\"total\">共12页</span>");
    const GbkText marker = gbk("total\">共");
    EXPECT_EQ(gbk_find(page, marker), static_cast<int>(page.view().find(marker.view())) + 1);
    EXPECT_EQ(gbk_find(page, gbk("TOTAL\">共"), 1, true), gbk_find(page, marker));
    EXPECT_EQ(gbk_find(page, gbk("页")), static_cast<int>(page.view().find(gbk("页").view())) + 1);
}

struct ReplaceCase {
    const char* text;
    const char* old_text;
    const char* new_text;
    int start;
    int count;
    bool case_sensitive;
    const char* expected;
};

void PrintTo(const ReplaceCase& c, std::ostream* os) {
    *os << testing::PrintToString(GbkText(c.text)) << " old " << testing::PrintToString(GbkText(c.old_text))
        << " start " << c.start << " count " << c.count << (c.case_sensitive ? "" : " ignoring case");
}

class Replace : public testing::TestWithParam<ReplaceCase> {};

TEST_P(Replace, ReplacesNonOverlappingMatchesAtCharacterStarts) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(gbk_replace(T(c.text), T(c.old_text), T(c.new_text), c.start, c.count, c.case_sensitive),
              T(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Replace,
    testing::Values(
        ReplaceCase{"a\r\nb\r\n", "\r\n", "", 1, kAll, true, "ab"},
        ReplaceCase{"xAx", "a", "b", 1, kAll, false, "xbx"},
        ReplaceCase{"xAx", "a", "b", 1, kAll, true, "xAx"},
        ReplaceCase{"aaa", "a", "b", 1, 2, true, "bba"}, ReplaceCase{"aaa", "a", "b", 2, kAll, true, "abb"},
        ReplaceCase{"aaa", "a", "aa", 1, kAll, true, "aaaaaa"},  // inserted text is not rescanned
        ReplaceCase{"aaaa", "aa", "b", 1, kAll, true, "bb"},
        ReplaceCase{"aaa", "aa", "b", 1, kAll, true, "ba"},
        // Counts and starts out of range.
        ReplaceCase{"aaa", "a", "b", 1, 0, true, "aaa"}, ReplaceCase{"aaa", "a", "b", 1, -7, true, "bbb"},
        ReplaceCase{"aaa", "a", "b", 1, INT_MAX, true, "bbb"},
        ReplaceCase{"aaa", "a", "b", 1, INT_MIN, true, "bbb"},
        ReplaceCase{"aaa", "a", "b", INT_MIN, kAll, true, "bbb"},
        ReplaceCase{"aaa", "a", "b", 4, kAll, true, "aaa"},
        ReplaceCase{"aaa", "a", "b", INT_MAX, kAll, true, "aaa"},
        ReplaceCase{"abc", "", "x", 1, kAll, true, "abc"}, ReplaceCase{"", "a", "x", 1, kAll, true, ""},
        // Lead-byte rule.
        ReplaceCase{"\xB0\xA1\xB0\xA1", "\xA1\xB0", "X", 1, kAll, true, "\xB0\xA1\xB0\xA1"},
        ReplaceCase{"\xB0" "A", "a", "x", 1, kAll, false, "\xB0" "A"},
        ReplaceCase{"\xB0\xA1" "a\xB0\xA1", "\xB0\xA1", "-", 1, kAll, true, "-a-"},
        // A lone lead byte at the end is dropped when the walk reaches it.
        ReplaceCase{"ab\xB0", "a", "x", 1, kAll, true, "xb"},
        ReplaceCase{"ab\xB0", "zz", "x", 1, kAll, true, "ab\xB0"},
        ReplaceCase{"ab\xB0", "a", "x", 1, 1, true, "xb\xB0"}));

TEST(ReplaceRange, DeletesAndInsertsBytes) {
    EXPECT_EQ(gbk_replace_range(T("Set-Cookie: a=1"), 1, 12), T("a=1"));
    EXPECT_EQ(gbk_replace_range(T("abc"), 2, 1, T("XY")), T("aXYc"));
    EXPECT_EQ(gbk_replace_range(T("abc"), 2, 0, T("XY")), T("aXYbc"));
    EXPECT_EQ(gbk_replace_range(T("abc"), 2, -1, T("X")), T("aXbc"));
    EXPECT_EQ(gbk_replace_range(T("abc"), 2, INT_MAX), T("a"));
    EXPECT_EQ(gbk_replace_range(T("abc"), 0, 1), T("bc"));
    EXPECT_EQ(gbk_replace_range(T("abc"), INT_MIN, 1), T("bc"));
    EXPECT_EQ(gbk_replace_range(T("abc"), 4, 1, T("X")), T("abcX"));
    EXPECT_EQ(gbk_replace_range(T("abc"), INT_MAX, INT_MAX, T("X")), T("abcX"));
    EXPECT_EQ(gbk_replace_range(GbkText(), 1, 1, T("X")), T("X"));
}

struct SpacesCase {
    const char* text;
    const char* expected;
};

class RemoveSpaces : public testing::TestWithParam<SpacesCase> {};

TEST_P(RemoveSpaces, DropsAsciiAndFullWidthSpacesOnly) {
    const SpacesCase& c = GetParam();
    EXPECT_EQ(gbk_remove_spaces(T(c.text)), T(c.expected));
    EXPECT_EQ(gbk_is_blank(T(c.text)), T(c.expected).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoveSpaces,
    testing::Values(SpacesCase{" a\xA1\xA1" "b\tc ", "ab\tc"}, SpacesCase{"   ", ""}, SpacesCase{"", ""},
                    SpacesCase{"\xA1\xA1\xA1\xA1", ""}, SpacesCase{"\r\n", "\r\n"},
                    SpacesCase{"\xB0\x20", "\xB0\x20"},  // a second byte 0x20 is not a space
                    SpacesCase{"\xB0\xA1\xA1\xA1", "\xB0\xA1"},  // A1 A1 across a character is no space
                    SpacesCase{"a\xB0", "a"},                     // lone lead byte at the end
                    SpacesCase{" \xA1", ""}, SpacesCase{"\xA1\xA1" "x", "x"}));

struct SplitCase {
    const char* text;
    const char* delimiter;
    int max_pieces;
    std::vector<const char*> expected;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << testing::PrintToString(GbkText(c.text)) << " delimiter "
        << testing::PrintToString(GbkText(c.delimiter)) << " max " << c.max_pieces;
}

class Split : public testing::TestWithParam<SplitCase> {};

TEST_P(Split, CutsAtDelimitersAtCharacterStarts) {
    const SplitCase& c = GetParam();
    std::vector<GbkText> expected;
    for (const char* piece : c.expected) expected.emplace_back(piece);
    EXPECT_EQ(gbk_split(T(c.text), T(c.delimiter), c.max_pieces), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Split,
    testing::Values(SplitCase{"x,,y,", ",", kAll, {"x", "", "y"}}, SplitCase{",x", ",", kAll, {"", "x"}},
                    SplitCase{"", ",", kAll, {}}, SplitCase{"abc", ",", kAll, {"abc"}},
                    SplitCase{",", ",", kAll, {""}},
                    SplitCase{"a,b,c", ",", 2, {"a", "b"}}, SplitCase{"a,b", ",", 1, {"a"}},
                    SplitCase{"a,b", ",", 0, {}}, SplitCase{"a,b,c", ",", INT_MAX, {"a", "b", "c"}},
                    SplitCase{"a,b", "", kAll, {"a,b"}},
                    SplitCase{"l1\r\nl2\r\n", "\r\n", kAll, {"l1", "l2"}},
                    SplitCase{"aXbxc", "x", kAll, {"aXb", "c"}},  // no case folding
                    SplitCase{"a\xB0,b", ",", kAll, {"a\xB0,b"}},
                    SplitCase{"a,b\xB0", ",", kAll, {"a", "b\xB0"}},
                    SplitCase{"a,\xB0", ",", kAll, {"a", "\xB0"}},
                    SplitCase{"a\xB0", "\xB0", kAll, {"a\xB0"}}));

TEST(CaseMapping, ChangesAsciiLettersOutsideDoubleByteCharacters) {
    EXPECT_EQ(gbk_upper(T("abc-XYZ-09")), T("ABC-XYZ-09"));
    EXPECT_EQ(gbk_lower(T("abc-XYZ-09")), T("abc-xyz-09"));
    EXPECT_EQ(gbk_upper(T("\xB0" "ab")), T("\xB0" "aB"));
    EXPECT_EQ(gbk_lower(T("\xB0" "AB")), T("\xB0" "Ab"));
    EXPECT_EQ(gbk_upper(T("a\xB0")), T("A\xB0"));
    EXPECT_EQ(gbk_upper(T("`{@[")), T("`{@["));
    EXPECT_EQ(gbk_lower(GbkText()), GbkText());
}

TEST(TextsAndBuffers, ZeroBytesEndATextButNotABuffer) {
    EXPECT_EQ(bytes_to_gbk(ByteBuffer(std::string("A\0B", 3))), T("A"));
    EXPECT_EQ(bytes_to_gbk(ByteBuffer(std::string("\0A", 2))), GbkText());
    EXPECT_EQ(bytes_to_gbk(ByteBuffer()), GbkText());
    EXPECT_EQ(GbkText(std::string("ab\0c", 4)), T("ab"));
    EXPECT_EQ(gbk_to_bytes(GbkText()), ByteBuffer());
    EXPECT_EQ(gbk_to_bytes(T("\xB0\xA1")), ByteBuffer(std::string_view("\xB0\xA1")));

    EXPECT_EQ(gbk_blank(3), T("   "));
    EXPECT_EQ(gbk_blank(0), GbkText());
    EXPECT_EQ(gbk_blank(INT_MIN), GbkText());
    EXPECT_EQ(bytes_blank(2), ByteBuffer(std::string(2, '\0')));
    EXPECT_EQ(bytes_blank(-1), ByteBuffer());
    EXPECT_EQ(bytes_count(bytes_blank(5)), 5);

    const ByteBuffer buffer(std::string("a\0bc", 4));
    EXPECT_EQ(bytes_head(buffer, 2), ByteBuffer(std::string("a\0", 2)));
    EXPECT_EQ(bytes_head(buffer, INT_MAX), buffer);
    EXPECT_EQ(bytes_head(buffer, -3), ByteBuffer());
    EXPECT_EQ(bytes_count(ByteBuffer()), 0);
}

TEST(TextsAndBuffers, EqualityIsByteExactAndConcatJoins) {
    EXPECT_TRUE(gbk_equal(T("ab"), T("ab")));
    EXPECT_FALSE(gbk_equal(T("ab"), T("AB")));
    EXPECT_FALSE(gbk_equal(T("a"), GbkText()));
    EXPECT_TRUE(gbk_equal(GbkText(), GbkText("")));
    EXPECT_EQ(gbk_concat(T("a"), GbkText(), T("\xB0\xA1"), T("b")), T("a\xB0\xA1" "b"));
    EXPECT_EQ(T("a") + GbkText(), T("a"));
}

}  // namespace
}  // namespace lanyi
