#include "demo/demo_site_main.h"

#include <signal.h>

#include <charconv>
#include <cstdio>
#include <iostream>
#include <limits>
#include <string>
#include <string_view>

#include "demo/demo_site.h"

namespace lanyi {

namespace {

bool read_int(std::string_view text, long long low, long long high, long long& out) {
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
    out = value;
    return true;
}

bool read_rate(std::string_view text, double& out) {
    std::string copy(text);
    char* end = nullptr;
    double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size() || !(value >= 0.0 && value <= 1.0)) return false;
    out = value;
    return true;
}

int usage_error(const std::string& message) {
    std::cerr << "demo site: " << message << "\n";
    return 2;
}

}  // namespace

int run_demo_site_main(int argc, char** argv) {
    DemoSiteOptions options;
    int first = 1;
    if (argc > 1 && std::string_view(argv[1]) == "--demo-site") first = 2;
    for (int i = first; i < argc; ++i) {
        std::string name = argv[i];
        if (i + 1 >= argc) return usage_error(name + " needs a value (or is not an option)");
        std::string_view value = argv[++i];
        long long number = 0;
        auto integer = [&](long long low, long long high) {
            return read_int(value, low, high, number);
        };
        double* rate = nullptr;
        if (name == "--fault-stall") rate = &options.faults.stall;
        else if (name == "--fault-reset") rate = &options.faults.reset;
        else if (name == "--fault-500") rate = &options.faults.server_error;
        else if (name == "--fault-truncate") rate = &options.faults.truncate;
        else if (name == "--fault-big-header") rate = &options.faults.big_header;
        else if (name == "--fault-zero-byte") rate = &options.faults.zero_byte;
        else if (name == "--fault-bad-gbk") rate = &options.faults.bad_gbk;
        else if (name == "--fault-huge-body") rate = &options.faults.huge_body;

        bool ok = true;
        if (rate) ok = read_rate(value, *rate);
        else if (name == "--port") ok = integer(0, 65535), options.port = static_cast<int>(number);
        else if (name == "--seed") {
            ok = integer(0, std::numeric_limits<long long>::max());
            options.seed = static_cast<std::uint64_t>(number);
        } else if (name == "--companies")
            ok = integer(0, DemoDirectory::kMaxCompanies), options.companies = static_cast<int>(number);
        else if (name == "--latency-ms") ok = integer(0, 3600000), options.latency_ms = static_cast<int>(number);
        else if (name == "--stall-ms") ok = integer(0, 3600000), options.stall_ms = static_cast<int>(number);
        else if (name == "--fault-attempts")
            ok = integer(0, 1000), options.fault_attempts = static_cast<int>(number);
        else if (name == "--threads") ok = integer(1, 4096), options.threads = static_cast<int>(number);
        else return usage_error("unknown option " + name);
        if (!ok) return usage_error("bad value for " + name + ": " + std::string(value));
    }

    // Every thread started from here on inherits the mask, so the signals
    // reach the sigwait below and nothing else.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    DemoSite site(options);
    if (!site.start()) {
        std::cerr << "demo site: cannot listen on 127.0.0.1:" << options.port << "\n";
        return 1;
    }
    std::printf("listening on 127.0.0.1:%d\n", site.port());
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    site.stop();
    return 0;
}

}  // namespace lanyi
