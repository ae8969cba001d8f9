// The result list at harvest sizes: compaction of 100,000 rows and appends.
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "text/gbk_text.h"
#include "ui/list_upkeep.h"
#include "ui/result_list.h"

namespace lanyi {
namespace {

constexpr int kRows = 100000;

// Every blank_every-th row has a blank id (0: none); the rest carry contacts.
void fill(ResultList& list, int blank_every) {
    const GbkText name("Some Trading Company Ltd");
    const GbkText mobile("13800138000");
    for (int i = 0; i < kRows; ++i) {
        const bool blank = blank_every > 0 && i % blank_every == 0;
        const int n = list.append_company(blank ? GbkText() : GbkText("co" + std::to_string(i)), name);
        list.set_cell(n - 1, kColMobile, mobile);
    }
}

void BM_CompactWithBlankIds(benchmark::State& state) {
    const int blank_every = static_cast<int>(state.range(0));
    std::unique_ptr<ResultList> list;
    for (auto _ : state) {
        state.PauseTiming();
        list = std::make_unique<ResultList>();  // the old list's destruction is not timed
        fill(*list, blank_every);
        state.ResumeTiming();
        compact_list(*list);
        benchmark::DoNotOptimize(list->row_count());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
// One blank id in 10, and one in 2 (a contact phase that rejected half).
BENCHMARK(BM_CompactWithBlankIds)->Arg(10)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_CompactRenumberOnly(benchmark::State& state) {
    ResultList list;
    fill(list, 0);
    for (auto _ : state) compact_list(list);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_CompactRenumberOnly)->Unit(benchmark::kMillisecond);

void BM_AppendCompany(benchmark::State& state) {
    const GbkText id("company-id");
    const GbkText name("Some Trading Company Ltd");
    ResultList list;
    for (auto _ : state) {
        if (list.row_count() >= kRows) {
            state.PauseTiming();
            list.delete_all_rows();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(list.append_company(id, name));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendCompany);

}  // namespace
}  // namespace lanyi

BENCHMARK_MAIN();
