// The list model's catching up with the store: appends become insertions
// (the view keeps its selection), anything else a reset, and the model stays
// consistent by Qt's own model checker.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>

#include "qt/result_model.h"
#include "qt_test_support.h"
#include "ui/result_list.h"

namespace lanyi::test {
namespace {

void append(ResultList& list, int n) {
    for (int i = 0; i < n; ++i) {
        const int count = list.row_count();
        list.append_company(GbkText("id" + std::to_string(count)), GbkText("n"));
    }
}

struct SyncCase {
    const char* name;
    std::function<void(ResultList&)> change;
    ResultModel::SyncResult expected;
    int inserted;  // rows announced by rowsInserted
};

TEST(ResultModelTest, SyncTellsTheViewWhatHappened) {
    using R = ResultModel::SyncResult;
    const SyncCase cases[] = {
        {"nothing", [](ResultList&) {}, R::Unchanged, 0},
        {"rows appended", [](ResultList& l) { append(l, 3); }, R::Updated, 3},
        {"a cell written", [](ResultList& l) { l.set_cell(1, kColMobile, GbkText("138")); }, R::Updated, 0},
        {"first row deleted", [](ResultList& l) { l.delete_row(0); }, R::Reset, 0},
        {"last row deleted", [](ResultList& l) { l.delete_row(l.row_count() - 1); }, R::Reset, 0},
        {"one deleted, one appended", [](ResultList& l) { l.delete_row(1); append(l, 1); }, R::Reset, 0},
        {"last deleted, one appended", [](ResultList& l) { l.delete_row(l.row_count() - 1); append(l, 1); },
         R::Reset, 0},
        {"all deleted", [](ResultList& l) { l.delete_all_rows(); }, R::Reset, 0},
        {"compacted", [](ResultList& l) { l.set_cell(2, kColId, GbkText(" ")); l.compact(); }, R::Reset, 0},
    };
    for (const SyncCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResultList list;
        append(list, 4);
        ResultModel model(list);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
        ASSERT_EQ(model.rowCount(), 4);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

        c.change(list);
        EXPECT_EQ(model.sync(), c.expected);
        EXPECT_EQ(model.rowCount(), list.row_count());
        EXPECT_EQ(reset.count(), c.expected == R::Reset ? 1 : 0);
        int announced = 0;
        for (const auto& args : inserted) announced += args[2].toInt() - args[1].toInt() + 1;
        EXPECT_EQ(announced, c.inserted);
        for (int r = 0; r < list.row_count(); ++r)
            EXPECT_EQ(model.index(r, kColId).data().toString().toStdString(), list.get_cell(r, kColId).str());
        EXPECT_EQ(model.sync(), R::Unchanged);
    }
}

TEST(ResultModelTest, RowsGoneBeforeTheNextSyncReadEmpty) {
    ResultList list;
    append(list, 3);
    ResultModel model(list);
    list.delete_all_rows();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(2, kColId).data().toString(), QString());
    model.sync();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(ResultModelTest, CellsAreShownInUnicode) {
    ResultList list;
    list.append_company(GbkText("acme"), gbk("广州澜驿五金有限公司"));
    list.set_cell(0, kColAddress, gbk("广东省广州市（白云区）"));
    ResultModel model(list);
    EXPECT_EQ(model.index(0, kColName).data().toString(), QStringLiteral("广州澜驿五金有限公司"));
    EXPECT_EQ(model.index(0, kColAddress).data().toString(), QStringLiteral("广东省广州市（白云区）"));
    EXPECT_EQ(model.headerData(kColName, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("公司名"));
    EXPECT_FALSE(model.headerData(0, Qt::Vertical, Qt::DisplayRole).isValid());
}

}  // namespace
}  // namespace lanyi::test
