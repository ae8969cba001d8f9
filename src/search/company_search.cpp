#include "search/company_search.h"

#include <algorithm>

#include "search/result_pages.h"
#include "text/extract.h"
#include "text/text_ops.h"
#include "ui/harvest_control.h"
#include "ui/list_upkeep.h"
#include "ui/status_texts.h"

namespace lanyi {

namespace {

struct UrlPieces {
    GbkText prefix, keyword, region;
};

UrlPieces url_pieces(const SiteConfig& site, const GbkText& keyword, const GbkText& region) {
    static const GbkText scheme("http://");
    static const GbkText path("/?w=");
    static const GbkText country = gbk("中国:");
    return {gbk_concat(scheme, site.search_host, path), url_encode(keyword, true),
            url_encode(country + region, true)};
}

std::int32_t total_from(const GbkText& page, const GbkText& start, const GbkText& end) {
    return real_to_int(gbk_to_number(text_between(page, start, end)));
}

}  // namespace

GbkText search_url(const SiteConfig& site, const GbkText& keyword, const GbkText& region) {
    static const GbkText fixed("&mc=enterprise&z=");
    const UrlPieces p = url_pieces(site, keyword, region);
    return gbk_concat(p.prefix, p.keyword, fixed, p.region);
}

GbkText result_page_url(const SiteConfig& site, const GbkText& keyword, const GbkText& region,
                        std::int32_t page, bool second) {
    static const GbkText fixed("&mc=enterprise&ee=");
    static const GbkText region_key("&z=");
    static const GbkText second_key("&af=3");
    const UrlPieces p = url_pieces(site, keyword, region);
    const GbkText url = gbk_concat(p.prefix, p.keyword, fixed, int_to_gbk(page), region_key, p.region);
    return second ? url + second_key : url;
}

void start_company_search(Harvest& harvest) {
    std::int32_t idle = kIdle;
    if (!harvest.state.compare_exchange_strong(idle, kRunning)) return;

    static const GbkText full_width_colon = gbk("：");
    static const GbkText colon(":");
    Window& window = harvest.window;
    clear_list(harvest.list());
    window.set_button_enabled(Button::StartContacts, false);
    window.set_button_enabled(Button::StartCompanies, false);
    SearchInputs inputs;
    inputs.keyword = window.edit_text(EditBox::Keyword);
    inputs.filter = window.edit_text(EditBox::Filter);
    inputs.region = gbk_replace(window.edit_text(EditBox::Region), full_width_colon, colon);
    harvest.set_inputs(std::move(inputs));

    HarvestCounters& counters = harvest.counters;
    counters.processed.store(0);
    counters.total.store(0);
    counters.pages.store(0);
    counters.valid.store(0);  // filtered goes on from the last harvest
    window.set_status_part(kElapsedPart, starting_text());
    harvest.jobs.start_thread([&harvest] { run_company_search(harvest); });
}

void run_company_search(Harvest& harvest) {
    static const GbkText pages_start = gbk("total\">共");
    static const GbkText pages_end = gbk("页");
    static const GbkText total_start = gbk("共找到");
    static const GbkText total_end = gbk("条");

    const SearchInputs inputs = harvest.inputs();
    const std::uint32_t tick = harvest.clock.tick_ms();
    harvest.start_tick.store(tick);
    FetchRequest request;
    request.url = search_url(harvest.site, inputs.keyword, inputs.region);
    request.timeout_seconds = harvest.timeout_seconds.load();
    const GbkText page = bytes_to_gbk(fetch_page(harvest.fetcher, request).body);

    // Stopped while the query was out: the harvest stays stopped. Stopped and
    // started again: the newer search goes on alone.
    if (harvest.state.load() != kRunning) {
        stop_harvest(harvest);
        return;
    }
    if (harvest.start_tick.load() != tick) return;

    std::int32_t pages = total_from(page, pages_start, pages_end);
    const std::int32_t total = total_from(page, total_start, total_end);
    harvest.counters.pages.store(pages);
    harvest.counters.total.store(total);
    refresh_status(harvest);

    if (total == 0) {
        static const GbkText nothing = gbk("没有采集结果");
        static const GbkText caption = gbk("结果");
        stop_harvest(harvest);
        if (harvest.phase_ended) harvest.phase_ended(Phase::CompanySearch);
        harvest.window.show_message(nothing, caption);
        return;
    }
    pages = std::clamp(pages, 1, kMaxResultPages);
    harvest.counters.pages.store(pages);
    const std::int32_t workers = std::min(threads_box_value(harvest), pages);
    distribute_result_pages(harvest, pages, workers);
}

}  // namespace lanyi
