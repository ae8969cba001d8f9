#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "export/export_csv.h"

namespace lanyi {

namespace {

bool is_folder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string home_from_password_file() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir)
        return {};
    return found->pw_dir;
}

// The XDG_DESKTOP_DIR line of user-dirs.dirs: "$HOME/..." or an absolute
// path, in double quotes. Empty when the file or the line is missing.
std::string xdg_desktop_entry(const std::string& dirs_file, const std::string& home) {
    static constexpr std::string_view key = "XDG_DESKTOP_DIR=";
    static constexpr std::string_view home_var = "$HOME";
    std::ifstream in(dirs_file);
    std::string line;
    std::string value;
    while (std::getline(in, line)) {
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, key.size(), key) != 0) continue;
        value = line.substr(first + key.size());
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
            value.pop_back();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
    }
    if (value.compare(0, home_var.size(), home_var) == 0) {
        const std::string rest = value.substr(home_var.size());
        if (!home.empty() && (rest.empty() || rest.front() == '/')) return home + rest;
        return {};  // "$HOMEWORK" is no path under home
    }
    return !value.empty() && value.front() == '/' ? value : std::string();
}

}  // namespace

std::string desktop_folder(const std::string& home, const std::string& config_home) {
    const std::string config = config_home.empty() ? home + "/.config" : config_home;
    if (const std::string xdg = xdg_desktop_entry(config + "/user-dirs.dirs", home); is_folder(xdg))
        return xdg;
    if (const std::string desktop = home + "/Desktop"; !home.empty() && is_folder(desktop))
        return desktop;
    return home;
}

std::string desktop_folder() {
    std::string home = env("HOME");
    if (home.empty()) home = home_from_password_file();
    return desktop_folder(home, env("XDG_CONFIG_HOME"));
}

}  // namespace lanyi
