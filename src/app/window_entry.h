// The one symbol of the window module (lanyi-window.so), which the program
// loads only when it opens its window: the headless run and the demo site
// never load Qt.
#pragma once

#include "app/command_line.h"

namespace lanyi {

inline constexpr const char* kWindowModuleFile = "lanyi-window.so";
inline constexpr const char* kWindowEntryName = "lanyi_window_main";

// Runs the window until the user closes it; returns the program's status.
using WindowEntry = int (*)(const CommandLine& cmd, int argc, char** argv);

}  // namespace lanyi
