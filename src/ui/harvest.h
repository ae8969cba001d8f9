// The harvest state: everything a harvest shares between the window thread,
// the search thread and the workers, in one object that each window (and each
// test) makes fresh.
//
// Counters and flags are atomics; the search inputs and the company id table
// sit behind the object's one mutex. The object owns every thread the harvest
// starts (through `jobs`); its destructor stops them and joins them before
// anything they use goes away. The window, fetcher and clock it refers to must
// outlive it, and the fetcher should be aborted first so no worker waits on a
// slow page.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/distributor.h"
#include "fetch/fetch.h"
#include "text/gbk_text.h"
#include "ui/clock.h"
#include "ui/result_list.h"
#include "ui/window.h"

namespace lanyi {

// Where the directory site lives.
struct SiteConfig {
    GbkText search_host{"search.lanyi.test"};
    GbkText shop_suffix{".shop.lanyi.test"};  // begins with a dot
};

struct HarvestCounters {
    std::atomic<std::int32_t> pages{0};
    std::atomic<std::int32_t> total{0};
    std::atomic<std::int32_t> processed{0};
    std::atomic<std::int32_t> filtered{0};
    std::atomic<std::int32_t> valid{0};
};

// keyword, filter word, region as captured when a company search starts.
struct SearchInputs {
    GbkText keyword;
    GbkText filter;
    GbkText region;
};

// The company ids of the rows by 1-based row number, taken when the contact
// phase starts; entry 0 is unused. Each entry also names the row it came from,
// so a contact job writes to that row whatever compaction does meanwhile.
struct CompanyIdEntry {
    GbkText id;      // empty when the id column was blank
    RowKey row = 0;
};
using CompanyIdTable = std::vector<CompanyIdEntry>;

enum class Phase { CompanySearch, Contacts };

inline constexpr std::int32_t kIdle = 1;     // HarvestState values
inline constexpr std::int32_t kRunning = 0;

class Harvest {
public:
    Harvest(Window& window, PageFetcher& fetcher, Clock& clock, SiteConfig site = {});
    Harvest(const Harvest&) = delete;
    Harvest& operator=(const Harvest&) = delete;
    ~Harvest();

    Window& window;
    PageFetcher& fetcher;
    Clock& clock;
    const SiteConfig site;

    std::atomic<std::int32_t> state{kIdle};  // HarvestState
    HarvestCounters counters;
    std::atomic<std::int32_t> timeout_seconds{10};
    std::atomic<std::uint32_t> start_tick{0};
    std::atomic<std::int32_t> completion_guard{0};

    ResultList& list() { return window.list(); }

    // Called once on the thread that ends a phase, right after its stop
    // routine and before anything that follows (the question, the contact
    // phase, the export). Set before a harvest starts; never changed while one
    // runs. The headless run takes its summary figures here.
    std::function<void(Phase)> phase_ended;

    // Held by refresh_status (harvest_control.h) from reading the figures to
    // the last status write, so the refresh that runs last shows the latest
    // figures. Nothing else takes it.
    std::mutex status_mutex;

    SearchInputs inputs() const;
    void set_inputs(SearchInputs inputs);

    std::shared_ptr<const CompanyIdTable> company_ids() const;
    void set_company_ids(std::shared_ptr<const CompanyIdTable> table);

private:
    mutable std::mutex mutex_;
    SearchInputs inputs_;
    std::shared_ptr<const CompanyIdTable> company_ids_ = std::make_shared<CompanyIdTable>();

public:
    // The StopFlag, DoneFlags and every harvest thread. Declared last so it is
    // destroyed (and its threads joined) first.
    JobDistributor jobs;
};

}  // namespace lanyi
