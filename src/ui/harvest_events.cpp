#include "ui/harvest_events.h"

#include "ui/harvest_control.h"
#include "ui/list_upkeep.h"

namespace lanyi {

namespace {

void run(const std::function<void()>& action) {
    if (action) action();
}

}  // namespace

HarvestEvents::HarvestEvents(Harvest& harvest, PhaseActions actions)
    : harvest_(harvest), actions_(std::move(actions)) {}

void HarvestEvents::window_created() { lanyi::window_created(harvest_); }

void HarvestEvents::edit_changed(EditBox box) {
    switch (box) {
        case EditBox::Threads: threads_box_changed(harvest_); break;
        case EditBox::Timeout: timeout_box_changed(harvest_); break;
        case EditBox::Keyword:
        case EditBox::Region:
        case EditBox::Filter: break;  // read when a phase starts
    }
}

void HarvestEvents::button_clicked(Button button) {
    switch (button) {
        case Button::StartCompanies: run(actions_.start_companies); break;
        case Button::StartContacts: run(actions_.start_contacts); break;
        case Button::Stop: stop_harvest(harvest_); break;
        case Button::ClearAll: clear_list(harvest_.list()); break;
        case Button::ClearContacts: clear_contacts(harvest_.list()); break;
        case Button::Export: run(actions_.export_list); break;
    }
}

void HarvestEvents::timer_tick() { elapsed_timer_tick(harvest_); }

void HarvestEvents::list_double_clicked() { run(actions_.open_company_page); }

void HarvestEvents::close_requested() { close_request(harvest_); }

}  // namespace lanyi
