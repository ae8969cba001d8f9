// What the window and the headless run share in setting up from the command
// line: where the site lives, and the box values the user gave.
#pragma once

#include "app/command_line.h"
#include "ui/harvest.h"
#include "ui/window.h"

namespace lanyi {

SiteConfig site_config(const CommandLine& cmd);

// Writes --threads and --timeout into their boxes (raising their events, so
// the usual clamps apply).
void apply_boxes(const CommandLine& cmd, Window& window);

}  // namespace lanyi
