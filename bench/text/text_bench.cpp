// Marker search over a result page of about 200 KB of GBK markup, next to
// memmem over the same bytes. Each figure is the page size over the time to
// find a marker that sits near the end.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "text/code_page.h"
#include "text/extract.h"
#include "text/text_ops.h"

namespace lanyi {
namespace {

GbkText make_page() {
    const std::string block =
        "<div class=\"list-item\"><div class=\"title\"><a href=\"http://c{N}.site.com/shop/company.html\" "
        "target=\"_blank\">杭州{N}号机械设备有限公司</a></div>\r\n"
        "<div class=\"info\">主营：液压机械、阀门、管件、不锈钢型材；所在地：浙江 杭州；"
        "电话：0571-8888{N}　传真：0571-6666{N}</div></div>\r\n";
    std::string bytes(gbk("<html><head><title>公司搜索结果</title></head><body>\r\n").view());
    for (int n = 0; bytes.size() < 200 * 1024; ++n) {
        std::string item = block;
        for (std::size_t at; (at = item.find("{N}")) != std::string::npos;) item.replace(at, 3, std::to_string(n));
        bytes += gbk(item).view();
    }
    bytes += gbk("<div class=\"pages\"><span class=\"total\">共37页 约1480条</span></div>\r\n</body></html>").view();
    return GbkText(std::move(bytes));
}

const GbkText& page() {
    static const GbkText kPage = make_page();
    return kPage;
}

void set_rate(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page().size()));
    state.counters["page_kb"] = static_cast<double>(page().size()) / 1024;
}

void memmem_bytes(benchmark::State& state, const GbkText& needle) {
    for (auto _ : state) {
        const void* hit = memmem(page().data(), page().size(), needle.data(), needle.size());
        benchmark::DoNotOptimize(hit);
    }
    set_rate(state);
}

void find(benchmark::State& state, const GbkText& needle, bool ignore_case) {
    int position = 0;
    for (auto _ : state) {
        position = gbk_find(page(), needle, 1, ignore_case);
        benchmark::DoNotOptimize(position);
    }
    if (position < static_cast<int>(page().size()) * 9 / 10) state.SkipWithError("marker not near the end");
    set_rate(state);
}

const GbkText kChineseMarker = gbk("class=\"total\">共");
const GbkText kAsciiMarker("class=\"total\">");
const GbkText kAsciiMarkerUpper("CLASS=\"TOTAL\">");

void BM_memmem_chinese_marker(benchmark::State& state) { memmem_bytes(state, kChineseMarker); }
void BM_find_chinese_marker(benchmark::State& state) { find(state, kChineseMarker, false); }
void BM_find_chinese_marker_ignore_case(benchmark::State& state) { find(state, kChineseMarker, true); }
void BM_memmem_ascii_marker(benchmark::State& state) { memmem_bytes(state, kAsciiMarker); }
void BM_find_ascii_marker(benchmark::State& state) { find(state, kAsciiMarker, false); }
void BM_find_ascii_marker_ignore_case(benchmark::State& state) { find(state, kAsciiMarkerUpper, true); }

void BM_text_between_total(benchmark::State& state) {
    const GbkText open = gbk("total#引号>共");
    const GbkText close = gbk("页");
    for (auto _ : state) {
        GbkText pages = text_between(page(), open, close);
        benchmark::DoNotOptimize(pages);
        if (pages != GbkText("37")) state.SkipWithError("wrong total");
    }
    set_rate(state);
}

void BM_url_encode(benchmark::State& state) {
    for (auto _ : state) {
        GbkText encoded = url_encode(page(), true);
        benchmark::DoNotOptimize(encoded);
    }
    set_rate(state);
}

BENCHMARK(BM_memmem_chinese_marker);
BENCHMARK(BM_find_chinese_marker);
BENCHMARK(BM_find_chinese_marker_ignore_case);
BENCHMARK(BM_memmem_ascii_marker);
BENCHMARK(BM_find_ascii_marker);
BENCHMARK(BM_find_ascii_marker_ignore_case);
BENCHMARK(BM_text_between_total);
BENCHMARK(BM_url_encode);

}  // namespace
}  // namespace lanyi

BENCHMARK_MAIN();
