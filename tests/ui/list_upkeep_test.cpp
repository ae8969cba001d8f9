#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "text/text_ops.h"
#include "ui/list_upkeep.h"
#include "ui/result_list.h"
#include "ui_test_support.h"

namespace lanyi {
namespace {

// One row per id; the name repeats the id so the test sees whole rows move.
void fill(ResultList& list, const std::vector<std::string>& ids) {
    for (const std::string& id : ids) list.append_company(gbk(id), gbk(id + "公司"));
}

struct CompactCase {
    const char* what;
    std::vector<std::string> ids;
    std::vector<std::string> kept;
};

class CompactListTest : public testing::TestWithParam<CompactCase> {};

TEST_P(CompactListTest, RemovesBlankIdsAndRenumbers) {
    const CompactCase& c = GetParam();
    ResultList list;
    fill(list, c.ids);
    for (int row = 0; row < list.row_count(); ++row) list.set_cell(row, kColNumber, GbkText("7"));

    compact_list(list);

    ASSERT_EQ(list.row_count(), static_cast<int>(c.kept.size()));
    for (int row = 0; row < list.row_count(); ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(list.get_cell(row, kColNumber), int_to_gbk(row + 1));
        EXPECT_EQ(list.get_cell(row, kColId), gbk(c.kept[row]));
        EXPECT_EQ(list.get_cell(row, kColName), gbk(c.kept[row] + "公司"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompactListTest,
    testing::Values(
        CompactCase{"blank_second_and_third", {"a", "", "", "d", "e"}, {"a", "d", "e"}},
        CompactCase{"two_blank_at_the_end", {"a", "b", "", ""}, {"a", "b"}},
        CompactCase{"blank_first", {"", "b"}, {"b"}},
        CompactCase{"ascii_spaces_only", {"a", "   ", "c"}, {"a", "c"}},
        CompactCase{"full_width_spaces_only", {"a", "\u3000\u3000", " \u3000 "}, {"a"}},
        CompactCase{"spaces_around_an_id_keep_it", {" x ", "\u3000y"}, {" x ", "\u3000y"}},
        CompactCase{"tab_is_no_space", {"\t", "a"}, {"\t", "a"}},
        CompactCase{"none_blank_only_renumbers", {"a", "b", "c"}, {"a", "b", "c"}},
        CompactCase{"all_blank", {"", " ", ""}, {}},
        CompactCase{"empty_list", {}, {}}),
    [](const testing::TestParamInfo<CompactCase>& info) { return std::string(info.param.what); });

TEST(ListUpkeep, CompactRenumbersAfterADeletedRowThoughNoIdIsBlank) {
    ResultList list;
    fill(list, {"a", "b", "c", "d"});
    list.delete_row(1);
    list.append_company(gbk("e"), gbk("e公司"));  // numbered 4 at its append
    compact_list(list);
    ASSERT_EQ(list.row_count(), 4);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(list.get_cell(row, kColNumber), int_to_gbk(row + 1)) << row;
}

TEST(ListUpkeep, CompactKeepsTheContactsOfKeptRows) {
    ResultList list;
    fill(list, {"", "b"});
    list.set_cell(1, kColMobile, GbkText("13800000000"));
    compact_list(list);
    EXPECT_EQ(list.get_cell(0, kColMobile), GbkText("13800000000"));
}

TEST(ListUpkeep, ClearContactsEmptiesColumnsThreeToNineOnly) {
    ResultList list;
    fill(list, {"a", "b"});
    for (int row = 0; row < 2; ++row)
        for (int col = kColContact; col < kColumnCount; ++col) list.set_cell(row, col, GbkText("x"));

    clear_contacts(list);

    ASSERT_EQ(list.row_count(), 2);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(list.get_cell(row, kColNumber), int_to_gbk(row + 1));
        EXPECT_FALSE(list.get_cell(row, kColId).empty());
        EXPECT_FALSE(list.get_cell(row, kColName).empty());
        for (int col = kColContact; col < kColumnCount; ++col)
            EXPECT_TRUE(list.get_cell(row, col).empty()) << row << "," << col;
    }
}

TEST(ListUpkeep, ClearListRemovesEveryRowAndRetiresTheirKeys) {
    ResultList list;
    fill(list, {"a", "b"});
    const RowKey old_key = list.key_of(0);
    clear_list(list);
    EXPECT_EQ(list.row_count(), 0);
    EXPECT_EQ(list.index_of(old_key), -1);
    fill(list, {"c"});
    EXPECT_NE(list.key_of(0), old_key) << "keys are never reused";
    EXPECT_FALSE(list.set_cell(old_key, kColContact, GbkText("x")));
}

TEST(ResultListBounds, CellsThatDoNotExistAreIgnored) {
    ResultList list;
    fill(list, {"a", "b"});
    const std::pair<int, int> missing[] = {
        {-1, 0}, {2, 0}, {0, -1}, {0, kColumnCount}, {INT_MIN, 0}, {INT_MAX, INT_MAX},
    };
    for (const auto& [row, col] : missing) {
        list.set_cell(row, col, GbkText("x"));
        EXPECT_TRUE(list.get_cell(row, col).empty()) << row << "," << col;
    }
    for (int row : {-1, 2, INT_MIN, INT_MAX}) list.delete_row(row);
    EXPECT_EQ(list.row_count(), 2);
    EXPECT_EQ(list.get_cell(0, kColId), GbkText("a"));
    EXPECT_EQ(list.get_cell(1, kColId), GbkText("b"));
    EXPECT_EQ(list.key_of(2), 0u);
    EXPECT_TRUE(list.row_cells(2).empty());

    EXPECT_EQ(list.column_count(), 10);
    EXPECT_EQ(list.column_title(0), gbk("序"));
    EXPECT_EQ(list.column_title(9), gbk("地址"));
    EXPECT_TRUE(list.column_title(10).empty());
    EXPECT_TRUE(list.column_title(-1).empty());
}

TEST(ResultListKeys, KeysFollowTheirCompanyAcrossCompactionAndDeletes) {
    ResultList list;
    fill(list, {"a", "", "c", "", "e"});
    RowKey keys[5];
    for (int row = 0; row < 5; ++row) keys[row] = list.key_of(row);

    compact_list(list);

    EXPECT_EQ(list.index_of(keys[0]), 0);
    EXPECT_EQ(list.index_of(keys[2]), 1);
    EXPECT_EQ(list.index_of(keys[4]), 2);
    EXPECT_EQ(list.index_of(keys[1]), -1);
    EXPECT_FALSE(list.set_cell(keys[1], kColContact, GbkText("lost")));
    EXPECT_TRUE(list.get_cell(keys[3], kColId).empty());

    EXPECT_TRUE(list.set_cell(keys[4], kColContact, GbkText("e-person")));
    EXPECT_EQ(list.get_cell(2, kColContact), GbkText("e-person"));

    list.delete_row(0);
    EXPECT_EQ(list.index_of(keys[2]), 0);
    EXPECT_TRUE(list.set_cells(keys[2], kColMobile, {GbkText("m"), GbkText("t")}));
    EXPECT_EQ(list.get_cell(0, kColMobile), GbkText("m"));
    EXPECT_EQ(list.get_cell(0, kColTelephone), GbkText("t"));
    EXPECT_EQ(list.get_cell(keys[2], kColId), GbkText("c"));
    EXPECT_EQ(list.index_of(0), -1);
}

// index_of finds a row by where its key says it would be when no earlier
// row has left; after every kind of removal it must still agree with a scan.
TEST(ResultListKeys, IndexOfAgreesWithAScanAfterRemovals) {
    ResultList list;
    std::vector<RowKey> issued;
    auto check = [&](const char* after) {
        SCOPED_TRACE(after);
        for (RowKey key : issued) {
            int scanned = -1;
            for (int row = 0; row < list.row_count(); ++row)
                if (list.key_of(row) == key) scanned = row;
            ASSERT_EQ(list.index_of(key), scanned) << "key " << key;
        }
        EXPECT_EQ(list.index_of(issued.back() + 1), -1);
    };
    auto add = [&](int count) {
        for (int i = 0; i < count; ++i) {
            const int row = list.append_company(gbk(i % 3 == 0 ? "" : "id"), gbk("n")) - 1;
            issued.push_back(list.key_of(row));
        }
    };
    add(40);
    check("appends only");
    list.delete_row(39);
    check("the last row deleted");
    list.delete_row(0);
    check("the first row deleted");
    list.delete_row(17);
    check("a middle row deleted");
    compact_list(list);
    check("compaction");
    add(10);
    check("appends after removals");
    list.delete_all_rows();
    add(3);
    check("a cleared list refilled");
}

TEST(ResultListKeys, MultiColumnWriteStopsAtTheLastColumn) {
    ResultList list;
    fill(list, {"a"});
    const RowKey key = list.key_of(0);
    EXPECT_TRUE(list.set_cells(key, kColAddress, {GbkText("addr"), GbkText("beyond")}));
    EXPECT_EQ(list.get_cell(0, kColAddress), GbkText("addr"));
    EXPECT_EQ(list.row_cells(0).size(), 10u);
}

}  // namespace
}  // namespace lanyi
