#include "contacts/phase_stamp.h"

namespace lanyi {

PhaseStamp stamp_phase(const Harvest& harvest) {
    return {harvest.start_tick.load(), harvest.company_ids()};
}

bool phase_is_current(const Harvest& harvest, const PhaseStamp& stamp) {
    return harvest.start_tick.load() == stamp.start_tick && harvest.company_ids() == stamp.company_ids;
}

bool phase_ran_to_end(const Harvest& harvest, const PhaseStamp& stamp) {
    return phase_is_current(harvest, stamp) && harvest.state.load() == kRunning &&
           !harvest.jobs.stopped();
}

}  // namespace lanyi
