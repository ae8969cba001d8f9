#include "app/window_run.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "app/window_entry.h"

namespace lanyi {

namespace {

// The module sits beside the program.
std::string module_path() {
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = length > 0 ? std::string(self, static_cast<std::size_t>(length)) : std::string();
    std::size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
    return dir + "/" + kWindowModuleFile;
}

}  // namespace

int run_window(const CommandLine& cmd, int argc, char** argv) {
    const std::string path = module_path();
    // Never unloaded: Qt does not take kindly to it.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto entry = module ? reinterpret_cast<WindowEntry>(dlsym(module, kWindowEntryName)) : nullptr;
    if (!entry) {
        std::fprintf(stderr, "lanyi-harvester: the window cannot be opened: %s\n(--headless harvests without it)\n",
                     dlerror());
        return 3;
    }
    return entry(cmd, argc, argv);
}

}  // namespace lanyi
