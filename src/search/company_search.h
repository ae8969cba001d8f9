// The company search: its URLs, the button that starts it and the first
// query that reads the totals and hands the result pages to the workers.
//
// start_company_search runs on the GUI thread and returns at once; the query
// runs on a thread owned by harvest.jobs. The URL builders are pure.
#pragma once

#include <cstdint>

#include "text/gbk_text.h"
#include "ui/harvest.h"

namespace lanyi {

// Result pages beyond this are not requested: a page count read from a page
// is data from the network and must not size the work without a bound.
inline constexpr std::int32_t kMaxResultPages = 10000;

// "http://" + search host + "/?w=" + keyword + "&mc=enterprise&z=" + region,
// with the keyword and "中国:" + region percent-encoded from their GBK bytes.
GbkText search_url(const SiteConfig& site, const GbkText& keyword, const GbkText& region);

// Result page p: the search URL with "&ee=" + p before "&z="; the second
// request of a page adds "&af=3".
GbkText result_page_url(const SiteConfig& site, const GbkText& keyword, const GbkText& region,
                        std::int32_t page, bool second);

// The "开始采集公司" button: does nothing while a harvest runs; otherwise
// empties the list, captures the inputs (full-width colons in the region
// become ":"), resets the counters but filtered, and starts
// run_company_search on its own thread.
void start_company_search(Harvest& harvest);

// The first query: totals into the counters, then the result pages to the
// workers; or, when the search found nothing, the end of the harvest,
// phase_ended(CompanySearch) and the message "没有采集结果". A harvest stopped
// while the query was out stays stopped and distributes nothing.
void run_company_search(Harvest& harvest);

}  // namespace lanyi
