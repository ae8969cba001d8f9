// The table model the result list view shows: a window onto the core
// ResultList, which keeps the data.
//
// GUI thread only. Workers change the ResultList at any rate; the model
// notices only when sync() runs (the window calls it from a timer), so a burst
// of appends becomes one rowsInserted and the event loop is never flooded.
// Between syncs rowCount() stays at what the view was last told. Cells are
// read a block of rows at a time, under one lock of the list, and kept until
// the next sync: fifty workers keep that lock busy, and waiting for it once
// per painted cell made the window stall. A row that vanished meanwhile reads
// empty until the next sync. The ResultList must outlive the model.
#pragma once

#include <QAbstractTableModel>

#include <array>
#include <vector>

#include "ui/result_list.h"

namespace lanyi {

class ResultModel : public QAbstractTableModel {
public:
    explicit ResultModel(ResultList& list, QObject* parent = nullptr);

    enum class SyncResult { Unchanged, Updated, Reset };
    // Catches up with the list. Only appends since the last sync: existing
    // rows are repainted and the new ones inserted, so the selection stays.
    // Anything else (rows deleted or cleared): a model reset.
    SyncResult sync();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const GbkText& cell(int row, int column) const;

    ResultList& list_;
    // Rows [cache_first_, cache_first_ + cache_.size()) as read after the
    // last sync; cache_fresh_ is false until the first read after it.
    mutable std::vector<std::array<GbkText, kColumnCount>> cache_;
    mutable int cache_first_ = 0;
    mutable bool cache_fresh_ = false;
    int shown_rows_ = 0;
    RowKey last_shown_key_ = 0;  // key of the last row the view knows of
    std::uint64_t synced_version_ = 0;
};

}  // namespace lanyi
