// The demo directory's pages, in GBK: the search answer with its totals, the
// two answers of each result page, and the company pages. Each page carries
// exactly the markers the harvester reads, and no stray ones. Pure functions
// of a DemoDirectory and the request; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "demo/demo_directory.h"
#include "demo/demo_site.h"
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
// The page as a parser sees it when only the first `kept` bytes of
// demo_company_page(page) reach it: the fields whose lines end within them,
// the others missing. Exact when `kept` is a line start.
DemoCompanyPage demo_company_page_before(const DemoCompanyPage& page, std::size_t kept);

// The companies of result page p that reach a parser when only the first
// `first_kept` bytes of the first answer and the first `second_kept` bytes of
// the second answer do, in page order. Exact when both are line starts (or
// the answers' sizes).
std::vector<DemoCompany> demo_page_companies_before(const DemoDirectory& directory, const GbkText& keyword,
                                                    const GbkText& region, int p, std::size_t first_kept,
                                                    std::size_t second_kept);

// Where a zero byte or invalid GBK bytes go into a body: one of its line
// starts (offset 0, or just after a LF that a "<" follows), picked by `key`;
// the size of the body when it is empty.
std::size_t demo_damage_offset(std::uint64_t key, std::string_view body);
// The body with a ZeroByte or BadGbk fault applied at that offset; other
// faults leave it as it is.
std::string demo_damaged_body(DemoFault fault, std::uint64_t key, std::string body);
std::string demo_not_found_page();
std::string demo_error_page();  // the body of an HTTP 500
std::string demo_home_page();

}  // namespace lanyi
