#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/headless_run.h"
#include "app/window_run.h"
#include "demo/demo_site_main.h"

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    const lanyi::ParseResult parsed = lanyi::parse_command_line(args);
    if (!parsed.command) {
        std::cerr << "lanyi-harvester: " << parsed.error << "\n\n" << lanyi::usage_text();
        return 2;
    }
    const lanyi::CommandLine& cmd = *parsed.command;
    switch (cmd.mode) {
        case lanyi::RunMode::Help:
            std::cout << lanyi::usage_text();
            return 0;
        case lanyi::RunMode::DemoSite:
            return lanyi::run_demo_site_main(argc, argv);
        case lanyi::RunMode::Headless:
            return lanyi::run_headless(cmd, std::cout, stderr);
        case lanyi::RunMode::Window:
            return lanyi::run_window(cmd, argc, argv);
    }
    return 2;
}
