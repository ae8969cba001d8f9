// Cutting arbitrary bytes into company blocks: the sums match the blocks,
// a block gets a row only with a kept name and an id, and both are pieces of
// the page.
#include "fuzz_input.h"
#include "search/company_blocks.h"
#include "text/text_ops.h"

using namespace lanyi;
using namespace lanyi::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const GbkText filter = in.text();
    const GbkText page(in.rest());

    const ParsedPage parsed = parse_company_blocks(page, filter);
    std::int32_t named = 0, filtered = 0, rows = 0;
    for (const CompanyBlock& block : parsed.blocks) {
        check_no_zero(block.id, "id");
        check_no_zero(block.name, "name");
        named += block.named;
        filtered += block.filtered;
        rows += block.has_row();
        check(!block.filtered || block.named, "filtered implies named");
        check(!block.has_row() || (block.named && !block.filtered && !block.name.empty()), "row needs a kept name");
        check(block.has_row() || block.name.empty(), "name only with a row");
        if (block.has_row()) {
            check(page.view().find(block.id.view()) != std::string_view::npos, "id from the page");
            check(page.view().find(block.name.view()) != std::string_view::npos, "name from the page");
            if (!gbk_is_blank(filter)) check(gbk_find(block.name, filter, 1, false) == -1, "filter word dropped");
        }
    }
    check(parsed.processed == named + (parsed.blocks.empty() ? kEmptyPageProcessed : 0), "processed");
    check(parsed.filtered == filtered, "filtered");
    check(parsed.valid == rows, "valid");
    check(parsed.blocks.empty() == page.empty(), "no blocks only for the empty page");
    return 0;
}
