// The standalone demo site: `lanyi-harvester --demo-site [options]`.
#pragma once

namespace lanyi {

// Parses --port N --seed N --companies N --latency-ms N --stall-ms N
// --threads N and the fault rates --fault-stall R --fault-reset R
// --fault-500 R --fault-truncate R --fault-big-header R --fault-zero-byte R
// --fault-bad-gbk R --fault-huge-body R (0 to 1), and --fault-attempts K
// (0: faults are sticky; K: a request faults on its first K attempts only).
// argv[0] is the program; a leading
// "--demo-site" is skipped. Prints "listening on 127.0.0.1:PORT" as the first
// line of standard output and serves until SIGINT or SIGTERM; returns 0 then.
// A bad option: a message naming it on standard error, and 2. A port that
// cannot be bound: a message, and 1. Call from the main thread before any
// other thread is started (it sets the process's signal mask).
int run_demo_site_main(int argc, char** argv);

}  // namespace lanyi
