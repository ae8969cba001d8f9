// The demo directory's pages, in GBK: the search answer with its totals, the
// two answers of each result page, and the company pages. Each page carries
// exactly the markers the harvester reads, and no stray ones. Pure functions
// of a DemoDirectory and the request; safe from any thread.
#pragma once

#include <string>

#include "demo/demo_directory.h"
#include "text/gbk_text.h"

namespace lanyi {

// The first answer of result page p: totals, then the fragment between the
// two fragment markers holding the first companies of the page.
std::string demo_first_answer(const DemoDirectory& directory, const GbkText& keyword, const GbkText& region,
                              int p);
// The second answer ("&af=3") of result page p: the rest of the page's companies.
std::string demo_second_answer(const DemoDirectory& directory, const GbkText& keyword,
                               const GbkText& region, int p);
// The search answer (no page number): the first answer of page 1.
std::string demo_search_answer(const DemoDirectory& directory, const GbkText& keyword,
                               const GbkText& region);

std::string demo_company_page(const DemoCompanyPage& page);
std::string demo_not_found_page();
std::string demo_error_page();  // the body of an HTTP 500
std::string demo_home_page();

}  // namespace lanyi
