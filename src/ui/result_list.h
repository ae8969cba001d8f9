// The result list: the only store of harvested data, ten GbkText cells a row.
//
// Thread-safe: one mutex guards everything, so workers, the compaction and the
// window's view may call any method at any time. Indices are 0-based and shift
// when rows are deleted; every row also carries a RowKey that never changes
// and is never reused, so a job can write to "its" company whatever happened
// to the indices meanwhile. Keys grow with every append and rows are only
// appended at the end, so the rows stay sorted by key.
//
// version() rises with every change; a view polls it to coalesce updates.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

#include "text/gbk_text.h"

namespace lanyi {

using RowKey = std::uint64_t;  // 0 is "no row"

enum Column : int {
    kColNumber = 0,
    kColId = 1,
    kColName = 2,
    kColContact = 3,
    kColMobile = 4,
    kColTelephone = 5,
    kColFax = 6,
    kColEmail = 7,
    kColQQ = 8,
    kColAddress = 9,
};
inline constexpr int kColumnCount = 10;

class ResultList {
public:
    int row_count() const;
    // Appends an empty row; returns its index.
    int append_row();
    // Appends a row holding id and name and writes the row count right after
    // the append into column 0, all under the one lock; returns that count.
    int append_company(const GbkText& id, const GbkText& name);
    void set_cell(int row, int column, const GbkText& text);   // no such cell: nothing
    GbkText get_cell(int row, int column) const;               // no such cell: empty
    std::vector<GbkText> row_cells(int row) const;            // empty when no such row
    // Rows [first, first + count) clipped to the list, ten cells each, read
    // under one lock: a view fetches what it paints in one step.
    std::vector<std::array<GbkText, kColumnCount>> rows_cells(int first, int count) const;
    // Calls `visit` with the ten cells of each row in [first, first + count)
    // clipped to the list, in order, under the one lock, without copying
    // them; returns how many rows it visited. `visit` must not call back into
    // the list.
    int visit_rows(int first, int count, const std::function<void(std::span<const GbkText>)>& visit) const;
    // What a view needs to follow the list, read under one lock: the row
    // count, the index of `key` (-1 when gone) and the key of the last row.
    struct Shape {
        int rows = 0;
        int index_of_key = -1;
        RowKey last_key = 0;
    };
    Shape shape(RowKey key) const;
    void delete_row(int row);
    void delete_all_rows();
    int column_count() const { return kColumnCount; }
    GbkText column_title(int column) const;  // empty for no such column

    RowKey key_of(int row) const;       // 0 when no such row
    int index_of(RowKey key) const;     // -1 when the row is gone
    GbkText get_cell(RowKey key, int column) const;
    bool set_cell(RowKey key, int column, const GbkText& text);  // false when the row is gone
    // Writes several columns of one row in one step; false when the row is gone.
    bool set_cells(RowKey key, int first_column, const std::vector<GbkText>& texts);

    // One column of every row with the row's key, read under one lock: the
    // list as it stood at one moment.
    std::vector<std::pair<RowKey, GbkText>> column_with_keys(int column) const;

    // Removes rows whose id column is blank, renumbers column 0 from 1. One pass.
    void compact();
    // Empties columns 3-9 of every row.
    void clear_contacts();

    std::uint64_t version() const { return version_.load(std::memory_order_acquire); }

private:
    struct Row {
        RowKey key;
        GbkText cells[kColumnCount];
    };
    int index_of_locked(RowKey key) const;
    void touch() { version_.fetch_add(1, std::memory_order_acq_rel); }

    mutable std::mutex mutex_;
    // A deque: appending never moves the rows already there (a vector moved
    // every row under the lock when it grew, stalling everyone for tens of
    // milliseconds at 100,000 rows).
    std::deque<Row> rows_;
    // Set when a change may have left column 0 out of step with the row
    // order (append_company keeps it in step; compact() sets it right).
    bool numbers_off_ = false;
    RowKey next_key_ = 1;
    std::atomic<std::uint64_t> version_{0};
};

}  // namespace lanyi
