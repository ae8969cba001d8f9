// Cutting a joined result page into company blocks: names, ids, the filter
// word, and what each block adds to the counters. Pure; callable from any
// thread.
#pragma once

#include <cstdint>
#include <vector>

#include "text/gbk_text.h"

namespace lanyi {

// processed rises by this much for a page that yields no block at all.
inline constexpr std::int32_t kEmptyPageProcessed = 20;

struct CompanyBlock {
    GbkText id;             // set only for a company that gets a row
    GbkText name;           // likewise
    bool named = false;     // the block had a name: processed + 1
    bool filtered = false;  // the name held the filter word: filtered + 1
    bool has_row() const { return !id.empty(); }  // valid + 1 and a row
};

struct ParsedPage {
    std::vector<CompanyBlock> blocks;  // one per piece between "成立时间" markers
    std::int32_t processed = 0, filtered = 0, valid = 0;  // the sums over the page
};

// The filter word takes effect only when it is not blank; it is then searched
// as typed, spaces and letter case included.
ParsedPage parse_company_blocks(const GbkText& page, const GbkText& filter);

}  // namespace lanyi
