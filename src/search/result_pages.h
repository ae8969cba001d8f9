// The page workers of the company search and the end of that phase.
//
// result_page_job and harvest_company_blocks run on the phase's workers; the
// end of the phase runs once, on the worker that finishes the last page, and
// from there starts (or offers to start) the contact phase. A phase that was
// stopped, or replaced by a newer one, has no end-of-phase handling, even when
// its last page was already in hand at the Stop.
#pragma once

#include <cstdint>

#include "search/company_blocks.h"
#include "text/gbk_text.h"
#include "ui/harvest.h"

namespace lanyi {

// Page p: the fragment between "发发在线" and "来澜驿做生意" of the first answer,
// joined with the whole second answer, goes to harvest_company_blocks; the
// fragment also goes to the clipboard.
void result_page_job(Harvest& harvest, std::int32_t page);

// Appends a row (number, id, name) for every kept company and moves the
// counters block by block, refreshing the status after each block.
void harvest_company_blocks(Harvest& harvest, const GbkText& page);

// Hands pages 1..pages to `workers` workers running result_page_job, with the
// end-of-phase handling on the last one. The harvest's start tick must be set.
void distribute_result_pages(Harvest& harvest, std::int32_t pages, std::int32_t workers);

}  // namespace lanyi
