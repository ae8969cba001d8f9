#include "qt/result_model.h"

#include "qt/qt_text.h"

#include <algorithm>

namespace lanyi {

ResultModel::ResultModel(ResultList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {
    synced_version_ = list_.version();
    const ResultList::Shape shape = list_.shape(0);
    shown_rows_ = shape.rows;
    last_shown_key_ = shape.last_key;
}

ResultModel::SyncResult ResultModel::sync() {
    // Taken before reading the list: whatever changes after this point bumps
    // the version past it, so the next sync looks again.
    const std::uint64_t version = list_.version();
    if (version == synced_version_) return SyncResult::Unchanged;
    synced_version_ = version;
    cache_fresh_ = false;

    const ResultList::Shape shape = list_.shape(last_shown_key_);
    const int rows = shape.rows;
    // Rows are only ever appended at the end and keys only grow, so the last
    // known row still sitting at its old index means nothing before it went.
    const bool appended_only = rows >= shown_rows_ && (shown_rows_ == 0 || shape.index_of_key == shown_rows_ - 1);

    SyncResult result = SyncResult::Updated;
    if (appended_only) {
        if (shown_rows_ > 0)
            emit dataChanged(index(0, 0), index(shown_rows_ - 1, kColumnCount - 1));
        if (rows > shown_rows_) {
            beginInsertRows({}, shown_rows_, rows - 1);
            shown_rows_ = rows;
            endInsertRows();
        }
    } else {
        beginResetModel();
        shown_rows_ = rows;
        endResetModel();
        result = SyncResult::Reset;
    }
    last_shown_key_ = shape.last_key;  // the view now knows every row
    return result;
}

const GbkText& ResultModel::cell(int row, int column) const {
    static const GbkText none;
    const auto size = static_cast<int>(cache_.size());
    if (!cache_fresh_ || row < cache_first_ || row >= cache_first_ + size) {
        // The rows around the one asked for: a screenful above and below.
        constexpr int kBefore = 32, kBlock = 128;
        cache_first_ = std::max(0, row - kBefore);
        cache_ = list_.rows_cells(cache_first_, kBlock);
        cache_fresh_ = true;
    }
    const int at = row - cache_first_;
    if (at < 0 || at >= static_cast<int>(cache_.size()) || column < 0 || column >= kColumnCount) return none;
    return cache_[static_cast<std::size_t>(at)][static_cast<std::size_t>(column)];
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_rows_;
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return to_qstring(cell(index.row(), index.column()));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) return to_qstring(list_.column_title(section));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags ResultModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace lanyi
