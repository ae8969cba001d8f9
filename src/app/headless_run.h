// The whole harvest without a window: the same phase code over a headless
// window whose boxes come from the command line, with "信息采集确认" off so the
// contact phase follows the search, and the export going to --out.
//
// Progress (the status parts) goes to `progress`, redrawn in place when it is
// a terminal, as plain lines otherwise. The last two lines on `out` are the
// summary of each phase. Returns the exit status: 0 when the harvest ran to
// its end, 1 when the search found no results (no file is written), 3 when
// the file could not be written.
#pragma once

#include <cstdio>
#include <ostream>

#include "app/command_line.h"

namespace lanyi {

int run_headless(const CommandLine& cmd, std::ostream& out, std::FILE* progress);

}  // namespace lanyi
