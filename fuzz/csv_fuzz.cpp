// The CSV writer on arbitrary cells: a strict RFC 4180 reader gets the same
// cells back, less the apostrophe the formula guard puts before a cell a
// spreadsheet would run.
#include "export/csv.h"
#include "fuzz_input.h"
#include "rfc4180_reader.h"
#include "ui/result_list.h"

using namespace lanyi;
using namespace lanyi::fuzzing;

namespace {

constexpr int kMaxRows = 40;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A cell the guard may mark: "=", "@", TAB or CR first, or "+" / "-" before
// anything but a digit.
bool may_be_guarded(const std::string& cell) {
    if (cell.empty()) return false;
    switch (cell[0]) {
    case '=': case '@': case '\t': case '\r': return true;
    case '+': case '-': return cell.size() == 1 || !is_digit(cell[1]);
    default: return false;
    }
}

bool must_be_guarded(const std::string& cell) {
    return may_be_guarded(cell) && !((cell == "+" || cell == "-"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    ResultList list;
    std::vector<std::vector<std::string>> cells;
    while (!in.empty() && static_cast<int>(cells.size()) < kMaxRows) {
        const int row = list.append_row();
        cells.emplace_back();
        for (int c = 0; c < kColumnCount; ++c) {
            const GbkText cell = in.text();
            list.set_cell(row, c, cell);
            cells.back().push_back(cell.str());
        }
    }

    const GbkText file = build_csv_text(list);
    check_no_zero(file, "file text");
    if (cells.empty()) {
        check(file.empty(), "no rows, no file");
        return 0;
    }
    const auto records = read_rfc4180(file.view());
    check(records.has_value(), "strict RFC 4180");
    check(records->size() == cells.size() + 1, "one record per row and the header");
    for (int c = 0; c < kColumnCount; ++c)
        check((*records)[0].at(static_cast<std::size_t>(c)) == list.column_title(c).str(), "header");
    for (std::size_t r = 0; r < cells.size(); ++r) {
        const CsvRecord& got = (*records)[r + 1];
        check(got.size() == static_cast<std::size_t>(kColumnCount), "ten fields a record");
        for (std::size_t c = 0; c < got.size(); ++c) {
            const std::string& want = cells[r][c];
            if (got[c] == want) {
                check(!must_be_guarded(want), "formula left unguarded");
            } else {
                check(may_be_guarded(want) && got[c] == "'" + want, "cell comes back");
            }
        }
    }
    return 0;
}
