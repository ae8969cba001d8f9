#include "export/csv.h"

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

// GBK trail bytes are 0x40 or above, so these bytes only ever stand for themselves.
bool needs_quotes(std::string_view v) { return v.find_first_of(",\"\r\n") != std::string_view::npos; }

void append_line(std::string& out, const std::vector<GbkText>& cells) {
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (c > 0) out += ',';
        out += csv_cell(cells[c]).view();
    }
    out += "\r\n";
}

}  // namespace

GbkText csv_cell(const GbkText& cell) {
    std::string v(cell.view());
    if (runs_as_formula(v)) v.insert(v.begin(), '\'');
    if (!needs_quotes(v)) return GbkText(std::move(v));
    std::string quoted = "\"";
    for (char c : v) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return GbkText(std::move(quoted));
}

GbkText build_csv_text(const ResultList& list) {
    const int columns = list.column_count();
    if (columns < 1 || list.row_count() < 1) return {};
    std::string out;
    std::vector<GbkText> cells;
    for (int c = 0; c < columns; ++c) cells.push_back(list.column_title(c));
    append_line(out, cells);
    // Read up to the first index past the end, so rows deleted meanwhile
    // shorten the file instead of turning into blank lines.
    for (int r = 0;; ++r) {
        cells = list.row_cells(r);
        if (cells.empty()) break;
        append_line(out, cells);
    }
    return GbkText(std::move(out));
}

}  // namespace lanyi
