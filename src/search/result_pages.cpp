#include "search/result_pages.h"

#include "contacts/contact_job.h"
#include "contacts/phase_stamp.h"
#include "search/company_search.h"
#include "text/extract.h"
#include "text/text_ops.h"
#include "ui/harvest_control.h"

namespace lanyi {

namespace {

GbkText fetch_text(Harvest& harvest, const GbkText& url) {
    FetchRequest request;
    request.url = url;
    request.timeout_seconds = harvest.timeout_seconds.load();
    return bytes_to_gbk(fetch_page(harvest.fetcher, request).body);
}

void end_company_search(Harvest& harvest, const PhaseStamp& stamp) {
    if (!phase_ran_to_end(harvest, stamp)) return;
    static const GbkText question = gbk("采集公司已完成\r\n是否开始采集信息");
    static const GbkText caption = gbk("完成");
    Window& window = harvest.window;
    harvest.completion_guard.store(1);
    stop_harvest(harvest);
    if (harvest.phase_ended) harvest.phase_ended(Phase::CompanySearch);
    if (!window.is_checked(CheckBox::ConfirmContacts) || window.ask_yes_no(question, caption))
        start_contact_collection(harvest);
    harvest.completion_guard.store(0);
}

}  // namespace

void result_page_job(Harvest& harvest, std::int32_t page) {
    static const GbkText fragment_start = gbk("发发在线");
    static const GbkText fragment_end = gbk("来澜驿做生意");
    const SearchInputs inputs = harvest.inputs();
    const SiteConfig& site = harvest.site;

    const GbkText first =
        fetch_text(harvest, result_page_url(site, inputs.keyword, inputs.region, page, false));
    const GbkText fragment = text_between(first, fragment_start, fragment_end);
    const GbkText second =
        fetch_text(harvest, result_page_url(site, inputs.keyword, inputs.region, page, true));

    harvest.window.set_clipboard(fragment);
    item_timer_check(harvest);
    harvest_company_blocks(harvest, fragment + second);
}

void harvest_company_blocks(Harvest& harvest, const GbkText& page) {
    const ParsedPage parsed = parse_company_blocks(page, harvest.inputs().filter);
    HarvestCounters& counters = harvest.counters;
    if (parsed.blocks.empty()) {
        counters.processed.fetch_add(parsed.processed);
        return;
    }
    for (const CompanyBlock& block : parsed.blocks) {
        if (block.named) counters.processed.fetch_add(1);
        if (block.filtered) counters.filtered.fetch_add(1);
        if (block.has_row()) {
            counters.valid.fetch_add(1);
            harvest.list().append_company(block.id, block.name);
        }
        refresh_status(harvest);
    }
}

void distribute_result_pages(Harvest& harvest, std::int32_t pages, std::int32_t workers) {
    const PhaseStamp stamp = stamp_phase(harvest);
    harvest.jobs.distribute([&harvest](std::int32_t p) { result_page_job(harvest, p); }, pages,
                            workers, [&harvest, stamp] { end_company_search(harvest, stamp); });
}

}  // namespace lanyi
