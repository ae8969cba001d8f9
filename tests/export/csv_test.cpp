#include "export/csv.h"

#include <gtest/gtest.h>

#include <string>

#include "text/code_page.h"

namespace lanyi {
namespace {

TEST(CsvCell, QuotingAndFormulaGuard) {
    const struct {
        std::string cell, written;
    } cases[] = {
        {"", ""},
        {"华光电子", "华光电子"},
        {"+8613812345678", "+8613812345678"},
        {"-5", "-5"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"line1\r\nline2", "\"line1\r\nline2\""},
        {"a\nb", "\"a\nb\""},
        {"=SUM(A1:A9)", "'=SUM(A1:A9)"},
        {"@cmd", "'@cmd"},
        {"+cmd", "'+cmd"},
        {"-cmd", "'-cmd"},
        {"-", "-"},
        {"\tx", "'\tx"},
        {"\rx", "\"'\rx\""},
        {"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
        {"a=b", "a=b"},
    };
    for (const auto& c : cases) EXPECT_EQ(csv_cell(gbk(c.cell)), gbk(c.written)) << c.cell;
}

TEST(BuildCsvText, HeaderRowsAndLineEnds) {
    ResultList list;
    EXPECT_TRUE(build_csv_text(list).empty());

    list.append_company(GbkText("a1"), gbk("甲公司"));
    list.append_company(GbkText("b2"), gbk("乙,公司"));
    list.append_company(GbkText("c3"), gbk("丙公司"));
    list.set_cell(0, kColMobile, GbkText("13812345678"));
    list.set_cells(list.key_of(2), 0, std::vector<GbkText>(kColumnCount));  // rejected, not yet removed

    const std::string text = gbk_to_utf8(build_csv_text(list));
    EXPECT_EQ(text,
              "序,ID,公司名,联系人,手机,电话,传真,邮箱,QQ,地址\r\n"
              "1,a1,甲公司,,13812345678,,,,,\r\n"
              "2,b2,\"乙,公司\",,,,,,,\r\n"
              ",,,,,,,,,\r\n");
    // Four lines, each ended by CR LF, nothing after the last.
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 4u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

// Long lists go out in pieces: together they are the whole text, every row
// once and in order, and a failed write ends the run at once.
TEST(WriteCsvText, PiecesMakeTheWholeTextAndAFailedWriteStops) {
    ResultList list;
    constexpr int kRows = 700;
    for (int i = 0; i < kRows; ++i) list.append_company(GbkText("id" + std::to_string(i)), gbk("公司"));

    std::string joined;
    int pieces = 0;
    EXPECT_TRUE(write_csv_text(list, [&](std::string_view piece) {
        joined += piece;
        ++pieces;
        return true;
    }));
    EXPECT_GT(pieces, 1);
    EXPECT_EQ(GbkText(joined), build_csv_text(list));
    std::size_t lines = 0;
    for (std::size_t at = joined.find("\r\n"); at != std::string::npos; at = joined.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, static_cast<std::size_t>(kRows) + 1);
    EXPECT_NE(joined.find("\r\n700,id699,"), std::string::npos);

    int calls = 0;
    EXPECT_FALSE(write_csv_text(list, [&](std::string_view) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace lanyi
