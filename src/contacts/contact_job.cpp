#include "contacts/contact_job.h"

#include <algorithm>
#include <memory>

#include "contacts/extract_contacts.h"
#include "contacts/phase_stamp.h"
#include "export/export_csv.h"
#include "text/text_ops.h"
#include "ui/harvest_control.h"
#include "ui/list_upkeep.h"
#include "ui/status_texts.h"

namespace lanyi {

namespace {

constexpr std::size_t kMaxLabelBytes = 63;

bool is_label_byte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

// The rows' ids (blank ones as empty) and keys as the list stood at one
// moment, by 1-based row number; entry 0 unused.
std::shared_ptr<CompanyIdTable> snapshot_rows(const ResultList& list) {
    auto table = std::make_shared<CompanyIdTable>(1);
    for (auto& [key, id] : list.column_with_keys(kColId))
        table->push_back({gbk_is_blank(id) ? GbkText() : std::move(id), key});
    return table;
}

void end_contact_collection(Harvest& harvest, const PhaseStamp& stamp) {
    if (!phase_ran_to_end(harvest, stamp)) return;
    static const GbkText question = gbk("采集信息已完成\r\n是否导出");
    static const GbkText caption = gbk("完成");
    Window& window = harvest.window;
    harvest.completion_guard.store(1);
    window.set_timer_period(0);
    stop_harvest(harvest);
    if (harvest.phase_ended) harvest.phase_ended(Phase::Contacts);
    if (window.is_checked(CheckBox::PromptExport) && window.ask_yes_no(question, caption))
        export_csv(harvest);
    harvest.completion_guard.store(0);
}

}  // namespace

GbkText company_page_url(const SiteConfig& site, const GbkText& id) {
    static const GbkText scheme("http://");
    static const GbkText path("/shop/company.html");
    return gbk_concat(scheme, id, site.shop_suffix, path);
}

bool is_valid_company_id(const GbkText& id) {
    const std::string_view v = id.view();
    return !v.empty() && v.size() <= kMaxLabelBytes &&
           std::all_of(v.begin(), v.end(), [](char c) { return is_label_byte(static_cast<unsigned char>(c)); });
}

void start_contact_collection(Harvest& harvest) {
    ResultList& list = harvest.list();
    if (list.row_count() < 1) return;
    // Rows without an id (rejected earlier) go first, so the phase works on
    // the rows it can fetch and its total counts just those.
    compact_list(list);
    std::shared_ptr<const CompanyIdTable> table = snapshot_rows(list);
    const auto rows = static_cast<std::int32_t>(table->size() - 1);
    if (rows < 1) return;
    harvest.set_company_ids(table);

    Window& window = harvest.window;
    harvest.start_tick.store(harvest.clock.tick_ms());
    window.set_button_enabled(Button::StartContacts, false);
    window.set_button_enabled(Button::StartCompanies, false);
    harvest.counters.processed.store(0);
    harvest.counters.valid.store(0);
    harvest.state.store(kRunning);
    harvest.counters.filtered.store(0);
    harvest.counters.total.store(rows);
    window.set_status_part(kElapsedPart, starting_text());

    const std::int32_t workers = std::min(threads_box_value(harvest), rows);
    const PhaseStamp stamp = stamp_phase(harvest);
    harvest.jobs.distribute([&harvest, table](std::int32_t a) { contact_job(harvest, *table, a); },
                            rows, workers,
                            [&harvest, stamp] { end_contact_collection(harvest, stamp); });
}

void contact_job(Harvest& harvest, const CompanyIdTable& table, std::int32_t a) {
    if (a < 1 || static_cast<std::size_t>(a) >= table.size()) return;
    const CompanyIdEntry entry = table[static_cast<std::size_t>(a)];
    ResultList& list = harvest.list();
    // A filled row is skipped, and so is one that is gone: neither is counted.
    if (list.index_of(entry.row) < 0 || !list.get_cell(entry.row, kColContact).empty()) return;

    GbkText page;
    if (is_valid_company_id(entry.id)) {
        FetchRequest request;
        request.url = company_page_url(harvest.site, entry.id);
        page = bytes_to_gbk(fetch_page(harvest.fetcher, request).body);
    }
    extract_contacts(harvest, page, entry.row);
    harvest.counters.processed.fetch_add(1);
    refresh_status(harvest);
    item_timer_check(harvest);
}

void contact_job(Harvest& harvest, std::int32_t a) {
    const std::shared_ptr<const CompanyIdTable> table = harvest.company_ids();
    contact_job(harvest, *table, a);
}

void open_company_page(Harvest& harvest) {
    const int row = harvest.window.current_row();
    if (row < 0) return;
    const GbkText id = harvest.list().get_cell(row, kColId);
    if (!is_valid_company_id(id)) return;
    harvest.window.open_url(company_page_url(harvest.site, id));
}

}  // namespace lanyi
