#include "ui/harvest.h"

namespace lanyi {

Harvest::Harvest(Window& w, PageFetcher& f, Clock& c, SiteConfig s)
    : window(w), fetcher(f), clock(c), site(std::move(s)) {}

Harvest::~Harvest() {
    jobs.set_stop();
    jobs.join_all();
}

SearchInputs Harvest::inputs() const {
    std::lock_guard lock(mutex_);
    return inputs_;
}

void Harvest::set_inputs(SearchInputs inputs) {
    std::lock_guard lock(mutex_);
    inputs_ = std::move(inputs);
}

std::shared_ptr<const CompanyIdTable> Harvest::company_ids() const {
    std::lock_guard lock(mutex_);
    return company_ids_;
}

void Harvest::set_company_ids(std::shared_ptr<const CompanyIdTable> table) {
    std::lock_guard lock(mutex_);
    company_ids_ = std::move(table);
}

}  // namespace lanyi
