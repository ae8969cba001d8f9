#include "app/phase_actions.h"

#include "contacts/contact_job.h"
#include "export/export_csv.h"
#include "search/company_search.h"

namespace lanyi {

PhaseActions make_phase_actions(Harvest& harvest) {
    Harvest* h = &harvest;
    return PhaseActions{
        .start_companies = [h] { start_company_search(*h); },
        .start_contacts = [h] { start_contact_collection(*h); },
        .export_list = [h] { export_csv(*h); },
        .open_company_page = [h] { open_company_page(*h); },
    };
}

}  // namespace lanyi
