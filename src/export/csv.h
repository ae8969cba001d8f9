// The CSV text of the result list: a header of the column titles, one line
// per row, every line ended by CR LF. Pure functions; the list is read under
// its own lock a block of rows at a time.
#pragma once

#include <functional>
#include <string_view>

#include "text/gbk_text.h"
#include "ui/result_list.h"

namespace lanyi {

// One cell as written to the file. A cell a spreadsheet would run as a
// formula (first byte "=" or "@", "+" or "-" before anything but a digit, a
// leading TAB or CR) gets a leading apostrophe; a cell holding a comma, a
// double quote, CR or LF is then put inside double quotes with its quotes
// doubled. Anything else is written as it is.
GbkText csv_cell(const GbkText& cell);

// The whole file's text; empty when the list has no rows.
GbkText build_csv_text(const ResultList& list);

// The same text handed to `write` piece by piece, in order (nothing when the
// list has no rows); stops and returns false as soon as `write` does.
bool write_csv_text(const ResultList& list, const std::function<bool(std::string_view)>& write);

}  // namespace lanyi
