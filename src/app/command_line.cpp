#include "app/command_line.h"

#include <cctype>
#include <functional>
#include <map>
#include <sstream>

namespace lanyi {

namespace {

bool is_number(const std::string& s) {
    if (s.empty()) return false;
    std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(s[i]))) digits = true;
        else if (s[i] == '.' && !point) point = true;
        else return false;
    }
    return digits;
}

bool parse_required(const std::string& list, RequiredFields& out, std::string& error) {
    const std::map<std::string, bool RequiredFields::*> names = {
        {"contact", &RequiredFields::contact}, {"mobile", &RequiredFields::mobile},
        {"telephone", &RequiredFields::telephone}, {"fax", &RequiredFields::fax},
        {"email", &RequiredFields::email}, {"qq", &RequiredFields::qq},
        {"address", &RequiredFields::address},
    };
    std::stringstream in(list);
    std::string name;
    while (std::getline(in, name, ',')) {
        if (name.empty()) continue;
        auto it = names.find(name);
        if (it == names.end()) {
            error = "--require: unknown field '" + name +
                    "' (use contact, mobile, telephone, fax, email, qq, address)";
            return false;
        }
        out.*(it->second) = true;
    }
    return true;
}

}  // namespace

const char* usage_text() {
    return "usage:\n"
           "  lanyi-harvester [--demo] [--proxy HOST:PORT] [--search-host HOST]\n"
           "                  [--shop-suffix SUFFIX] [--threads N] [--timeout S]\n"
           "      open the window\n"
           "  lanyi-harvester --headless --keyword K --region R [--filter F]\n"
           "                  [--threads N] [--timeout S] [--require LIST]\n"
           "                  [--no-swap] [--no-strong-mobile] [--proxy HOST:PORT]\n"
           "                  [--search-host HOST] [--shop-suffix SUFFIX] [--demo]\n"
           "                  --out FILE.csv\n"
           "      harvest without a window and write the list to FILE.csv\n"
           "  lanyi-harvester --demo-site [--port N] [--seed N] [--companies N]\n"
           "                  [--latency-ms N] [fault options]\n"
           "      serve the demo directory site on 127.0.0.1\n"
           "  lanyi-harvester --help\n"
           "\n"
           "  --demo          harvest from the built-in demo site (no internet needed)\n"
           "  --threads N     worker threads, 1 to 50 (default 10)\n"
           "  --timeout S     fetch time-out of the company search in seconds (default 10)\n"
           "  --require LIST  comma list of fields a row must have: contact, mobile,\n"
           "                  telephone, fax, email, qq, address\n"
           "  --no-swap       keep mobile and telephone as the page gives them\n"
           "  --no-strong-mobile  keep mobiles that do not look like one\n"
           "  --proxy H:P     send every fetch through this HTTP proxy\n"
           "  --search-host H, --shop-suffix .S   where the directory site lives\n";
}

ParseResult parse_command_line(const std::vector<std::string>& args) {
    CommandLine cmd;
    ParseResult result;
    auto fail = [&](std::string message) {
        result.command.reset();
        result.error = std::move(message);
        return result;
    };
    if (!args.empty() && args[0] == "--demo-site") {
        cmd.mode = RunMode::DemoSite;  // the demo site parses the rest itself
        result.command = cmd;
        return result;
    }

    bool have_keyword = false, have_region = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) -> bool {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            cmd.mode = RunMode::Help;
        } else if (a == "--headless") {
            if (cmd.mode != RunMode::Help) cmd.mode = RunMode::Headless;
        } else if (a == "--demo") {
            cmd.demo = true;
        } else if (a == "--no-swap") {
            cmd.swap_numbers = false;
        } else if (a == "--no-strong-mobile") {
            cmd.strong_mobile = false;
        } else if (a == "--demo-site") {
            return fail("--demo-site must come first");
        } else if (a == "--keyword" || a == "--region" || a == "--filter" || a == "--threads" ||
                   a == "--timeout" || a == "--require" || a == "--proxy" ||
                   a == "--search-host" || a == "--shop-suffix" || a == "--out") {
            if (!value(v)) return fail(a + " needs a value");
            if (a == "--keyword") cmd.keyword = v, have_keyword = true;
            else if (a == "--region") cmd.region = v, have_region = true;
            else if (a == "--filter") cmd.filter = v;
            else if (a == "--threads" || a == "--timeout") {
                if (!is_number(v)) return fail(a + ": '" + v + "' is not a number");
                (a == "--threads" ? cmd.threads : cmd.timeout) = v;
            } else if (a == "--require") {
                if (!parse_required(v, cmd.required, result.error)) return fail(result.error);
            } else if (a == "--proxy") {
                if (v.find(':') == std::string::npos) return fail("--proxy: expected HOST:PORT, got '" + v + "'");
                cmd.proxy = v;
            } else if (a == "--search-host") {
                if (v.empty() || v.find_first_of("/ ") != std::string::npos)
                    return fail("--search-host: '" + v + "' is not a host name");
                cmd.search_host = v;
            } else if (a == "--shop-suffix") {
                if (v.size() < 2 || v[0] != '.' || v.find_first_of("/ ") != std::string::npos)
                    return fail("--shop-suffix: '" + v + "' must be a host suffix beginning with a dot");
                cmd.shop_suffix = v;
            } else {
                cmd.out = v;
            }
        } else {
            return fail("unknown option '" + a + "'");
        }
    }

    if (cmd.mode == RunMode::Headless) {
        if (!have_keyword) return fail("--headless needs --keyword");
        if (!have_region) return fail("--headless needs --region");
        if (cmd.out.empty()) return fail("--headless needs --out FILE.csv");
    } else if (cmd.mode == RunMode::Window) {
        const char* headless_only = !cmd.out.empty()        ? "--out"
                                    : have_keyword          ? "--keyword"
                                    : have_region           ? "--region"
                                    : !cmd.filter.empty()   ? "--filter"
                                                            : nullptr;
        if (headless_only) return fail(std::string(headless_only) + " needs --headless");
    }
    result.command = cmd;
    return result;
}

}  // namespace lanyi
