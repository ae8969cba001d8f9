#include "app/window_entry.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <type_traits>
#include <thread>
#include <unistd.h>

#include "app/network.h"
#include "app/phase_actions.h"
#include "app/run_setup.h"
#include "qt/qt_window.h"
#include "ui/harvest_events.h"

namespace lanyi {
namespace {

int run_window(const CommandLine& cmd, int argc, char** argv) {
    QApplication app(argc, argv);
    Network network(cmd);
    if (!network.error().empty()) {
        std::fprintf(stderr, "lanyi-harvester: %s\n", network.error().c_str());
        return 3;
    }

    QtWindow window;
    SteadyClock clock;
    Harvest harvest(window, network.fetcher(), clock, site_config(cmd));
    HarvestEvents events(harvest, make_phase_actions(harvest));
    window.set_events(&events);
    window.set_on_closed([&] {
        // Closing ends this process only: every fetch ends at once, workers
        // take no new item, and the threads are joined below. Should anything
        // still hang, the process ends anyway a few seconds later.
        network.abort();
        harvest.jobs.set_stop();
        std::thread([] {
            std::this_thread::sleep_for(std::chrono::seconds(5));
            _exit(0);
        }).detach();
        app.quit();
    });
    window.show();
    apply_boxes(cmd, window);
    const int status = app.exec();
    window.set_events(nullptr);
    return status;
}

}  // namespace
}  // namespace lanyi

extern "C" __attribute__((visibility("default"))) int lanyi_window_main(const lanyi::CommandLine& cmd, int argc,
                                                                        char** argv) {
    static_assert(std::is_same_v<decltype(&lanyi_window_main), lanyi::WindowEntry>);
    return lanyi::run_window(cmd, argc, argv);
}
