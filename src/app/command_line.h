// The command line: what the user asked for, parsed without side effects.
//
//   lanyi-harvester [--demo] [--proxy HOST:PORT] [--search-host HOST]
//                   [--shop-suffix SUFFIX] [--threads N] [--timeout S]
//       opens the window.
//   lanyi-harvester --headless --keyword K --region R [--filter F] [--threads N]
//                   [--timeout S] [--require LIST] [--no-swap] [--no-strong-mobile]
//                   [--proxy HOST:PORT] [--search-host HOST] [--shop-suffix SUFFIX]
//                   [--demo] --out FILE.csv
//       runs the whole harvest without a window.
//   lanyi-harvester --demo-site [demo site options]
//       serves the demo directory site on loopback.
//   lanyi-harvester --help
//
// Text arguments are UTF-8; they become GBK when they enter the harvest.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lanyi {

enum class RunMode { Window, Headless, DemoSite, Help };

// The "不可空:" boxes, as named on the command line.
struct RequiredFields {
    bool contact = false, mobile = false, telephone = false, fax = false, email = false,
         qq = false, address = false;
};

struct CommandLine {
    RunMode mode = RunMode::Window;
    bool demo = false;
    std::string keyword, region, filter;
    std::optional<std::string> threads, timeout;  // as typed; the boxes clamp them
    RequiredFields required;
    bool swap_numbers = true;
    bool strong_mobile = true;
    std::string proxy;
    std::optional<std::string> search_host, shop_suffix;
    std::string out;
};

struct ParseResult {
    std::optional<CommandLine> command;  // empty on bad usage
    std::string error;                   // names the bad option
};

ParseResult parse_command_line(const std::vector<std::string>& args);
const char* usage_text();

}  // namespace lanyi
