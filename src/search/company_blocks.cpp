#include "search/company_blocks.h"

#include "text/extract.h"
#include "text/text_ops.h"

namespace lanyi {

namespace {

struct BlockMarkers {
    GbkText separator = gbk("成立时间");
    GbkText name_start{";\" target=\"_blank\" title=\""};
    GbkText name_end{"\" >"};
    GbkText id_start{"exposurelog=\""};
    GbkText id_end{"\" href"};
};

const BlockMarkers& markers() {
    static const BlockMarkers m;
    return m;
}

}  // namespace

ParsedPage parse_company_blocks(const GbkText& page, const GbkText& filter) {
    const BlockMarkers& m = markers();
    const bool filtering = !gbk_is_blank(filter);
    ParsedPage parsed;
    const std::vector<GbkText> pieces = gbk_split(page, m.separator);
    if (pieces.empty()) {
        parsed.processed = kEmptyPageProcessed;
        return parsed;
    }
    parsed.blocks.reserve(pieces.size());
    for (const GbkText& piece : pieces) {
        CompanyBlock block;
        GbkText name = text_between(piece, m.name_start, m.name_end);
        block.named = !name.empty();
        if (filtering && gbk_find(name, filter) != -1) {
            name = GbkText();
            block.filtered = true;
        }
        if (!name.empty()) {
            GbkText id = text_between(piece, m.id_start, m.id_end);
            if (!id.empty()) {
                block.id = std::move(id);
                block.name = std::move(name);
            }
        }
        parsed.processed += block.named ? 1 : 0;
        parsed.filtered += block.filtered ? 1 : 0;
        parsed.valid += block.has_row() ? 1 : 0;
        parsed.blocks.push_back(std::move(block));
    }
    return parsed;
}

}  // namespace lanyi
