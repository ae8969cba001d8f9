#include "ui/result_list.h"

#include <algorithm>
#include <string>

#include "text/text_ops.h"

namespace lanyi {

namespace {

bool valid_column(int column) { return column >= 0 && column < kColumnCount; }

const GbkText& title_of(int column) {
    static const GbkText titles[kColumnCount] = {
        gbk("序"),   gbk("ID"),   gbk("公司名"), gbk("联系人"), gbk("手机"),
        gbk("电话"), gbk("传真"), gbk("邮箱"),   gbk("QQ"),     gbk("地址"),
    };
    return titles[column];
}

}  // namespace

int ResultList::row_count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(rows_.size());
}

int ResultList::append_row() {
    std::lock_guard lock(mutex_);
    rows_.push_back(Row{next_key_++, {}});
    numbers_off_ = true;  // its number cell is empty
    touch();
    return static_cast<int>(rows_.size()) - 1;
}

int ResultList::append_company(const GbkText& id, const GbkText& name) {
    std::lock_guard lock(mutex_);
    Row& row = rows_.emplace_back(Row{next_key_++, {}});
    const int count = static_cast<int>(rows_.size());
    row.cells[kColNumber] = int_to_gbk(count);
    row.cells[kColId] = id;
    row.cells[kColName] = name;
    touch();
    return count;
}

void ResultList::set_cell(int row, int column, const GbkText& text) {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size()) || !valid_column(column)) return;
    rows_[row].cells[column] = text;
    numbers_off_ = numbers_off_ || column == kColNumber;
    touch();
}

GbkText ResultList::get_cell(int row, int column) const {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size()) || !valid_column(column)) return {};
    return rows_[row].cells[column];
}

std::vector<GbkText> ResultList::row_cells(int row) const {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
    const Row& r = rows_[row];
    return std::vector<GbkText>(std::begin(r.cells), std::end(r.cells));
}

std::vector<std::array<GbkText, kColumnCount>> ResultList::rows_cells(int first, int count) const {
    std::vector<std::array<GbkText, kColumnCount>> out;
    visit_rows(first, count, [&](std::span<const GbkText> cells) {
        std::copy(cells.begin(), cells.end(), out.emplace_back().begin());
    });
    return out;
}

int ResultList::visit_rows(int first, int count, const std::function<void(std::span<const GbkText>)>& visit) const {
    std::lock_guard lock(mutex_);
    const int size = static_cast<int>(rows_.size());
    first = std::clamp(first, 0, size);
    const int last = count > 0 ? std::min(size, first + count) : first;
    for (int i = first; i < last; ++i) visit(rows_[i].cells);
    return last - first;
}

ResultList::Shape ResultList::shape(RowKey key) const {
    std::lock_guard lock(mutex_);
    Shape shape;
    shape.rows = static_cast<int>(rows_.size());
    shape.index_of_key = key != 0 ? index_of_locked(key) : -1;
    shape.last_key = rows_.empty() ? 0 : rows_.back().key;
    return shape;
}

void ResultList::delete_row(int row) {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    rows_.erase(rows_.begin() + row);
    numbers_off_ = true;
    touch();
}

void ResultList::delete_all_rows() {
    std::lock_guard lock(mutex_);
    rows_.clear();
    numbers_off_ = false;
    touch();
}

GbkText ResultList::column_title(int column) const {
    return valid_column(column) ? title_of(column) : GbkText();
}

RowKey ResultList::key_of(int row) const {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return 0;
    return rows_[row].key;
}

int ResultList::index_of_locked(RowKey key) const {
    if (rows_.empty() || key < rows_.front().key) return -1;
    // Keys are handed out one by one and rows leave but never come in
    // between, so a row is at most `key - first key` places from the front,
    // and exactly there until a row before it leaves: the usual case during a
    // harvest, found without a search.
    const auto most = static_cast<std::size_t>(std::min<RowKey>(key - rows_.front().key, rows_.size() - 1));
    if (rows_[most].key == key) return static_cast<int>(most);
    const auto end = rows_.begin() + static_cast<std::ptrdiff_t>(most);
    auto it = std::lower_bound(rows_.begin(), end, key, [](const Row& r, RowKey k) { return r.key < k; });
    if (it == end || it->key != key) return -1;
    return static_cast<int>(it - rows_.begin());
}

int ResultList::index_of(RowKey key) const {
    std::lock_guard lock(mutex_);
    return index_of_locked(key);
}

GbkText ResultList::get_cell(RowKey key, int column) const {
    std::lock_guard lock(mutex_);
    const int row = index_of_locked(key);
    if (row < 0 || !valid_column(column)) return {};
    return rows_[row].cells[column];
}

bool ResultList::set_cell(RowKey key, int column, const GbkText& text) {
    return set_cells(key, column, {text});
}

bool ResultList::set_cells(RowKey key, int first_column, const std::vector<GbkText>& texts) {
    std::lock_guard lock(mutex_);
    const int row = index_of_locked(key);
    if (row < 0) return false;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int column = first_column + static_cast<int>(i);
        if (valid_column(column)) rows_[row].cells[column] = texts[i];
        numbers_off_ = numbers_off_ || column == kColNumber;
    }
    touch();
    return true;
}

std::vector<std::pair<RowKey, GbkText>> ResultList::column_with_keys(int column) const {
    std::lock_guard lock(mutex_);
    std::vector<std::pair<RowKey, GbkText>> cells;
    if (!valid_column(column)) return cells;
    cells.reserve(rows_.size());
    for (const Row& r : rows_) cells.emplace_back(r.key, r.cells[column]);
    return cells;
}

void ResultList::compact() {
    std::lock_guard lock(mutex_);
    // Rows before the first blank one keep their place, and their numbers
    // unless something put them out of order; with no blank row and numbers
    // in order (the usual case at the end of a phase) nothing changes, and
    // the lock that every worker and the window wait on is held for one scan.
    auto blank = [](const Row& r) { return gbk_is_blank(r.cells[kColId]); };
    const auto first = std::find_if(rows_.begin(), rows_.end(), blank);
    if (first == rows_.end() && !numbers_off_) return;
    const std::size_t from = numbers_off_ ? 0 : static_cast<std::size_t>(first - rows_.begin());
    rows_.erase(std::remove_if(first, rows_.end(), blank), rows_.end());
    for (std::size_t j = from; j < rows_.size(); ++j)
        rows_[j].cells[kColNumber] = int_to_gbk(static_cast<std::int64_t>(j) + 1);
    numbers_off_ = false;
    touch();
}

void ResultList::clear_contacts() {
    std::lock_guard lock(mutex_);
    for (Row& r : rows_)
        for (int c = kColContact; c < kColumnCount; ++c) r.cells[c] = GbkText();
    touch();
}

}  // namespace lanyi
