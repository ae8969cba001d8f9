// Routes the window's events to the harvest: the box, timer, stop, clear and
// close events to harvest_control.h and list_upkeep.h, and the buttons that
// start a phase or export to the actions the application layer supplies
// (the phases live above this layer). An action left empty does nothing.
//
// Holds references: the harvest must outlive this object, and the window must
// stop raising events before either goes. Events arrive on the window's own
// thread; the actions run there too and should return quickly (a phase starts
// its own threads).
#pragma once

#include <functional>

#include "ui/harvest.h"
#include "ui/window.h"

namespace lanyi {

struct PhaseActions {
    std::function<void()> start_companies;    // "开始采集公司"
    std::function<void()> start_contacts;     // "采集公司信息"
    std::function<void()> export_list;        // "导出"
    std::function<void()> open_company_page;  // double click in the list
};

class HarvestEvents : public WindowEvents {
public:
    HarvestEvents(Harvest& harvest, PhaseActions actions);

    void window_created() override;
    void edit_changed(EditBox box) override;
    void button_clicked(Button button) override;
    void timer_tick() override;
    void list_double_clicked() override;
    void close_requested() override;

private:
    Harvest& harvest_;
    const PhaseActions actions_;
};

}  // namespace lanyi
