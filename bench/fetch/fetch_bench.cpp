// Company-page fetches through one CurlFetcher against the in-process demo
// site, from 1 to 50 threads at once: how far the single network thread
// carries. Reports pages per second and connections opened per request.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>
#include <vector>

#include "demo/demo_site.h"
#include "fetch/curl_fetcher.h"

namespace lanyi {
namespace {

void BM_CompanyPages(benchmark::State& state) {
    const int threads = static_cast<int>(state.range(0));
    const int latency = static_cast<int>(state.range(1));
    DemoSiteOptions options;
    options.companies = 400;
    options.latency_ms = latency;
    DemoSite site(options);
    if (!site.start()) {
        state.SkipWithError("demo site did not start");
        return;
    }
    CurlFetcher fetcher;
    fetcher.set_default_proxy("127.0.0.1:" + std::to_string(site.port()));
    std::vector<DemoCompany> companies = site.directory().companies(GbkText("led"), GbkText());

    constexpr int kPerThread = 40;
    std::atomic<std::int64_t> bytes{0};
    for (auto _ : state) {
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([&, t] {
                for (int i = 0; i < kPerThread; ++i) {
                    const DemoCompany& c = companies[static_cast<std::size_t>(t * kPerThread + i) % companies.size()];
                    FetchRequest request;
                    request.url = GbkText("http://" + c.id.str() + ".shop.lanyi.test/shop/company.html");
                    bytes.fetch_add(static_cast<std::int64_t>(fetcher.fetch(request).body.size()));
                }
            });
        }
        for (auto& worker : workers) worker.join();
    }
    state.SetItemsProcessed(state.iterations() * threads * kPerThread);
    state.SetBytesProcessed(bytes.load());
    state.counters["connections_per_request"] =
        static_cast<double>(site.connections_accepted()) / static_cast<double>(std::max<std::int64_t>(site.requests_served(), 1));
    state.counters["failed"] = static_cast<double>(fetcher.stats().failed);
}

BENCHMARK(BM_CompanyPages)
    ->ArgsProduct({{1, 10, 50}, {0, 20}})
    ->ArgNames({"threads", "latency_ms"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace lanyi

BENCHMARK_MAIN();
