// The program with its window: loads the window module and runs the Qt
// window over the harvest until the user closes it. Closing ends every fetch
// and worker and returns from here. Status 3 when the module cannot be
// loaded (a build without the window, or no display libraries).
#pragma once

#include "app/command_line.h"

namespace lanyi {

int run_window(const CommandLine& cmd, int argc, char** argv);

}  // namespace lanyi
