// The program with its window: the Qt window over the harvest, until the user
// closes it. Closing ends every fetch and worker and returns from here.
#pragma once

#include "app/command_line.h"

namespace lanyi {

int run_window(const CommandLine& cmd, int argc, char** argv);

}  // namespace lanyi
