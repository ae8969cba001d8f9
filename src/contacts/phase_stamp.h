// Tells an end-of-phase handling whether its phase is still the harvest's
// current one and ran to its end without a stop.
//
// A distribution completes when its last item returns, even if the user
// pressed Stop while that item was in hand, or stopped and started another
// phase meanwhile. Its end-of-phase handling must then do nothing: starting
// the next phase or the export after a Stop is not what the user asked for,
// and stopping the harvest would end the phase that replaced it.
//
// A stamp is taken after the phase has set its start tick (and, for the
// contact phase, its company id table) and before it distributes. Pure reads
// of the harvest; callable from any thread.
#pragma once

#include <cstdint>
#include <memory>

#include "ui/harvest.h"

namespace lanyi {

struct PhaseStamp {
    std::uint32_t start_tick = 0;
    std::shared_ptr<const CompanyIdTable> company_ids;
};

PhaseStamp stamp_phase(const Harvest& harvest);

// Same start tick and the same id table: no phase began since the stamp.
bool phase_is_current(const Harvest& harvest, const PhaseStamp& stamp);

// Current, and neither stopped nor left idle by a stop.
bool phase_ran_to_end(const Harvest& harvest, const PhaseStamp& stamp);

}  // namespace lanyi
