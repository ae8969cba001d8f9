// Throughput of the two page parsers next to a plain byte scan of the same
// text, in bytes per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "contacts/extract_contacts.h"
#include "search/company_blocks.h"
#include "text/gbk_text.h"

namespace lanyi {
namespace {

// A result page of `companies` blocks with filler between them, as GBK.
GbkText result_page(int companies) {
    std::string page = "<html><body>";
    for (int i = 0; i < companies; ++i) {
        const std::string n = std::to_string(i);
        page += "<li class=\"item\"><div class=\"pic\"><img src=\"/img/" + n + ".jpg\"></div>"
                "<a onclick=\"log(" + n + ");\" target=\"_blank\" title=\"广州市华光电子科技有限公司" + n +
                "\" >广州市华光电子科技有限公司</a><a exposurelog=\"hg" + n +
                "\" href=\"http://hg.shop/\">店铺</a><p>主营：LED灯饰、照明电器、电子元件批发零售</p>"
                "<span>成立时间：2008</span></li>";
    }
    return gbk(page + "</body></html>");
}

// A company page of roughly 40 KB with the contact card near its end.
GbkText company_page() {
    std::string page = "<html><head><title>公司介绍</title></head><body>";
    for (int i = 0; i < 300; ++i) page += "<p class=\"intro\">本公司专业生产各类照明产品，质量可靠，欢迎来电洽谈。</p>";
    page += "<div><span title=\"张三\">经理</span></div><p title=\"手机：138 1234 5678\"></p>"
            "<p title=\"电话：020-88887777\"></p><p title=\"传真：020-88886666\"></p>"
            "<li><font>邮件:</font>sales@hua.cn</li><a href=\"x?Menu=yes&uin=10001&Site=h\">QQ</a>"
            "<p>地&nbsp;&nbsp;址：广州市天河路1号<br></p></body></html>";
    return gbk(page);
}

void BM_ByteScan(benchmark::State& state) {
    const GbkText page = result_page(50);
    for (auto _ : state) benchmark::DoNotOptimize(std::count(page.view().begin(), page.view().end(), '"'));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_ByteScan);

void BM_ParseCompanyBlocks(benchmark::State& state) {
    const GbkText page = result_page(50);
    const GbkText filter = gbk("电子");
    for (auto _ : state) benchmark::DoNotOptimize(parse_company_blocks(page, filter));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_ParseCompanyBlocks);

void BM_ExtractFields(benchmark::State& state) {
    const GbkText page = company_page();
    for (auto _ : state) benchmark::DoNotOptimize(extract_fields(page));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_ExtractFields);

}  // namespace
}  // namespace lanyi

BENCHMARK_MAIN();
