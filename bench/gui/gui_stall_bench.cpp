// The longest stall of the GUI thread while the window runs a whole harvest
// (company search, then the contact phase) with many workers.
//
// A precise heartbeat timer on the GUI thread notes the gap between its
// ticks; the longest gap, from the click on "开始采集公司" to the end of the
// contact phase, is the longest time the window could not answer the user.
//
//   gui_stall_bench --proxy HOST:PORT [--threads N] [--keyword K] [--region R]
//                   [--heartbeat-ms 5] [--limit-s 900]
//
// Prints "name: value" lines. Runs on any Qt platform; the benchmark script
// uses offscreen. Exit status 1 when the harvest did not end within the limit.
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app/phase_actions.h"
#include "fetch/curl_fetcher.h"
#include "qt/main_window.h"
#include "qt/qt_window.h"
#include "text/code_page.h"
#include "ui/harvest_events.h"

namespace {

struct Options {
    std::string proxy;
    std::string threads = "50";
    std::string keyword = "led";
    std::string region = "广东省:广州市";
    int heartbeat_ms = 5;
    int limit_s = 900;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--proxy") o.proxy = value;
        else if (name == "--threads") o.threads = value;
        else if (name == "--keyword") o.keyword = value;
        else if (name == "--region") o.region = value;
        else if (name == "--heartbeat-ms") o.heartbeat_ms = std::max(1, std::atoi(value.c_str()));
        else if (name == "--limit-s") o.limit_s = std::max(1, std::atoi(value.c_str()));
        else return false;
    }
    return argc % 2 == 1 && !o.proxy.empty();
}

template <class T>
T* control(lanyi::QtWindow& window, const char* name) {
    return window.widget()->findChild<T*>(QString::fromUtf8(name));
}

}  // namespace

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: gui_stall_bench --proxy HOST:PORT [--threads N] [--keyword K] "
                             "[--region R] [--heartbeat-ms MS] [--limit-s S]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    lanyi::CurlFetcher fetcher;
    fetcher.set_default_proxy(options.proxy);
    lanyi::QtWindow window;
    lanyi::SteadyClock clock;
    auto harvest = std::make_unique<lanyi::Harvest>(window, fetcher, clock);
    lanyi::HarvestEvents events(*harvest, lanyi::make_phase_actions(*harvest));
    window.set_events(&events);
    std::atomic<bool> contacts_done{false};
    harvest->phase_ended = [&](lanyi::Phase phase) {
        if (phase == lanyi::Phase::Contacts) contacts_done.store(true);
    };
    window.show();

    window.set_edit_text(lanyi::EditBox::Keyword, lanyi::utf8_to_gbk(options.keyword));
    window.set_edit_text(lanyi::EditBox::Region, lanyi::utf8_to_gbk(options.region));
    window.set_edit_text(lanyi::EditBox::Threads, lanyi::utf8_to_gbk(options.threads));
    control<QCheckBox>(window, "选择框_手机")->setChecked(true);
    control<QCheckBox>(window, "选择框_采集确认")->setChecked(false);
    control<QCheckBox>(window, "选择框_导出提示")->setChecked(false);
    QPushButton* start = control<QPushButton>(window, "按钮_开始公司");

    Clock::duration longest{0};
    Clock::time_point longest_ended;
    long long beats = 0;
    Clock::time_point last;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        if (now - last > longest) {
            longest = now - last;
            longest_ended = now;
        }
        last = now;
        ++beats;
    });

    bool finished = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (contacts_done.load() && start->isEnabled()) {
            finished = true;
            app.quit();
        }
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&] { app.quit(); });

    // The user clicks on a window already drawn: its first layout and paint
    // (fonts loaded and all) are not part of the harvest.
    QCoreApplication::processEvents();
    const Clock::time_point began = Clock::now();
    QTimer::singleShot(0, [&] {
        last = Clock::now();
        heartbeat.start(options.heartbeat_ms);
        watch.start(20);
        limit.start(options.limit_s * 1000);
        start->click();
    });
    app.exec();
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
    heartbeat.stop();

    std::printf("longest_stall_ms: %.3f\n", std::chrono::duration<double, std::milli>(longest).count());
    std::printf("longest_stall_ended_at_s: %.3f\n", std::chrono::duration<double>(longest_ended - began).count());
    std::printf("heartbeats: %lld\n", beats);
    std::printf("heartbeat_ms: %d\n", options.heartbeat_ms);
    std::printf("rows: %d\n", window.list().row_count());
    std::printf("seconds: %.3f\n", seconds);
    std::printf("finished: %s\n", finished ? "yes" : "no");

    fetcher.abort();
    harvest.reset();  // joins the harvest's threads before the window goes
    window.set_events(nullptr);
    return finished ? 0 : 1;
}
