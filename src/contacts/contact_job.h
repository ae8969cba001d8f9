// The contact phase: a company page fetched for every listed row, its fields
// written into that row, and at the end the offer to export.
//
// start_contact_collection runs on the GUI thread (button) or on the worker
// that ended the company search; contact_job runs on the phase's workers;
// open_company_page on the GUI thread. Each job writes to the row it was
// given when the phase started (by RowKey), whatever compaction does to the
// indices meanwhile; a row deleted meanwhile receives nothing.
#pragma once

#include <cstdint>

#include "text/gbk_text.h"
#include "ui/harvest.h"

namespace lanyi {

// "http://" + id + shop suffix + "/shop/company.html".
GbkText company_page_url(const SiteConfig& site, const GbkText& id);

// A company id is a host label: ASCII letters, digits and "-", 1 to 63 bytes.
// Any other id is never put into a URL: its row is handled as a failed fetch.
bool is_valid_company_id(const GbkText& id);

// Compacts the list, snapshots the rows' ids and keys into the
// CompanyIdTable, resets the counters, marks the harvest running and
// distributes the rows. An empty list: nothing else happens. The phase ends
// once every row was handled, skipped rows included: stop, phase_ended
// (Contacts), then the export offer when "提示导出" is checked. A stopped or
// replaced phase has no such end.
void start_contact_collection(Harvest& harvest);

// The job for 1-based row number a of the given table (or of the harvest's
// current table). A row whose contact is already filled is skipped and not
// counted.
void contact_job(Harvest& harvest, const CompanyIdTable& table, std::int32_t a);
void contact_job(Harvest& harvest, std::int32_t a);

// Opens the selected row's company page in the browser; nothing when no row
// is selected or its id is not a valid company id.
void open_company_page(Harvest& harvest);

}  // namespace lanyi
