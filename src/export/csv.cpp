#include "export/csv.h"

#include <functional>
#include <string>
#include <vector>

namespace lanyi {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool runs_as_formula(std::string_view v) {
    if (v.empty()) return false;
    switch (v.front()) {
        case '=':
        case '@':
        case '\t':
        case '\r':
            return true;
        case '+':
        case '-':
            return v.size() > 1 && !is_digit(v[1]);
        default:
            return false;
    }
}

// GBK trail bytes are 0x40 or above, so these bytes only ever stand for
// themselves. (A plain loop: find_first_of asks memchr about every byte.)
bool needs_quotes(std::string_view v) {
    for (char c : v)
        if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
    return false;
}

// Appends one cell as csv_cell() writes it, without a copy of its own.
void append_cell(std::string& out, std::string_view v) {
    const bool formula = runs_as_formula(v);
    if (!needs_quotes(v)) {
        if (formula) out += '\'';
        out += v;
        return;
    }
    out += '"';
    if (formula) out += '\'';
    for (char c : v) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

template <class Cells>
void append_line(std::string& out, const Cells& cells) {
    bool first = true;
    for (const GbkText& cell : cells) {
        if (!first) out += ',';
        first = false;
        append_cell(out, cell.view());
    }
    out += "\r\n";
}

}  // namespace

GbkText csv_cell(const GbkText& cell) {
    std::string out;
    append_cell(out, cell.view());
    return GbkText(std::move(out));
}

bool write_csv_text(const ResultList& list, const std::function<bool(std::string_view)>& write) {
    const int columns = list.column_count();
    if (columns < 1 || list.row_count() < 1) return true;
    std::string piece;
    std::vector<GbkText> titles;
    for (int c = 0; c < columns; ++c) titles.push_back(list.column_title(c));
    append_line(piece, titles);
    // Rows are read a block at a time under the list's lock, up to the first
    // index past the end, so rows deleted meanwhile shorten the file instead
    // of turning into blank lines. Each block goes out as one piece, and the
    // piece's memory serves the next block.
    constexpr int kBlockRows = 256;
    for (int first = 0;;) {
        const int visited = list.visit_rows(first, kBlockRows, [&](const auto& row) { append_line(piece, row); });
        if (!piece.empty() && !write(piece)) return false;
        piece.clear();
        if (visited == 0) return true;
        first += visited;
    }
}

GbkText build_csv_text(const ResultList& list) {
    std::string out;
    write_csv_text(list, [&](std::string_view piece) {
        out += piece;
        return true;
    });
    return GbkText(std::move(out));
}

}  // namespace lanyi
