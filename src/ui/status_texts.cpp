#include "ui/status_texts.h"

#include "text/text_ops.h"

namespace lanyi {

namespace {

struct Pieces {
    GbkText keyword = gbk(" 关键字:");
    GbkText filter = gbk("过滤字:");
    GbkText region = gbk("地址:");
    GbkText total_prefix = gbk("共");
    GbkText pages_suffix = gbk("页");
    GbkText items_suffix = gbk("条");
    GbkText processed_prefix = gbk("第");
    GbkText filtered_prefix = gbk("过滤");
    GbkText valid_prefix = gbk("有效");
    GbkText idle = gbk("状态:未开始");
    GbkText running = gbk("状态:已开始");
    GbkText seconds = gbk("秒");
    GbkText starting = gbk("正在开始");
};

const Pieces& pieces() {
    static const Pieces p;
    return p;
}

}  // namespace

std::array<GbkText, 9> status_texts(const StatusFigures& f) {
    const Pieces& p = pieces();
    return {
        p.keyword + f.inputs.keyword,
        p.filter + f.inputs.filter,
        p.region + f.inputs.region,
        gbk_concat(p.total_prefix, int_to_gbk(f.pages), p.pages_suffix),
        gbk_concat(p.total_prefix, int_to_gbk(f.total), p.items_suffix),
        gbk_concat(p.processed_prefix, int_to_gbk(f.processed), p.items_suffix),
        gbk_concat(p.filtered_prefix, int_to_gbk(f.filtered), p.items_suffix),
        gbk_concat(p.valid_prefix, int_to_gbk(f.valid), p.items_suffix),
        f.state == kIdle ? p.idle : p.running,
    };
}

std::array<GbkText, kStatusParts> initial_status_texts() {
    const std::array<GbkText, 9> first = status_texts(StatusFigures{});
    std::array<GbkText, kStatusParts> all;
    for (std::size_t i = 0; i < first.size(); ++i) all[i] = first[i];
    return all;
}

GbkText elapsed_text(std::uint32_t elapsed_ms) {
    return real_to_gbk(elapsed_ms / 1000.0) + pieces().seconds;
}

const GbkText& starting_text() { return pieces().starting; }

}  // namespace lanyi
