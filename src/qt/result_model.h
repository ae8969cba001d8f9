// The table model the result list view shows: a window onto the core
// ResultList, which keeps the data. The model never copies cells; it reads
// them when the view paints.
//
// GUI thread only. Workers change the ResultList at any rate; the model
// notices only when sync() runs (the window calls it from a timer), so a burst
// of appends becomes one rowsInserted and the event loop is never flooded.
// Between syncs rowCount() stays at what the view was last told; cells read
// live and a row that vanished meanwhile reads empty until the next sync.
// The ResultList must outlive the model.
#pragma once

#include <QAbstractTableModel>

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
    ResultList& list_;
    int shown_rows_ = 0;
    RowKey last_shown_key_ = 0;  // key of the last row the view knows of
    std::uint64_t synced_version_ = 0;
};

}  // namespace lanyi
