// The phase operations behind the window's buttons, for HarvestEvents.
#pragma once

#include "ui/harvest.h"
#include "ui/harvest_events.h"

namespace lanyi {

PhaseActions make_phase_actions(Harvest& harvest);

}  // namespace lanyi
