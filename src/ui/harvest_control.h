// The harvest's idle/running control and its status display: the operations
// the phases call (refresh_status, stop_harvest, item_timer_check,
// threads_box_value) and the window events that are no phase of their own.
//
// All of them may be called from any thread at any time; they touch the
// harvest only through its atomics, its own locks and the Window interface.
// refresh_status writes the status bar while holding harvest.status_mutex, so
// a window's set_status_part must not wait for a thread that may itself be
// refreshing the status (the Qt window posts, the headless one stores).
#pragma once

#include <cstdint>

#include "ui/harvest.h"

namespace lanyi {

// Rewrites status parts 0-8 from the counters, state and search inputs.
// Part 9 belongs to the elapsed timer and the phase starts.
void refresh_status(Harvest& harvest);

// Ends a harvest; safe to run several times and from several threads at once.
// In order: state idle, timer off, StopFlag set, status refreshed, both start
// buttons enabled, list compacted. Everything runs synchronously on the
// calling thread (both the refresh and the compaction are short), so the
// caller's next step, such as the export at the end of the contact phase,
// sees the idle status and the compacted list. The state goes idle before the
// timer stops so that a worker's item_timer_check racing with this either
// sees the idle state or has its timer start undone here; the refresh comes
// after the state change so that part 8 shows "状态:未开始". Items already in
// a handler finish; no new item starts.
void stop_harvest(Harvest& harvest);

// Run by the phases once per item: starts the elapsed timer (period 10 ms)
// unless it already runs, then ends the harvest if it is idle, so a late item
// after a stop turns the timer off again.
void item_timer_check(Harvest& harvest);

// Window events.
void window_created(Harvest& harvest);       // idle; time-out read from its box
void timeout_box_changed(Harvest& harvest);  // time-out := integer part of the box, unbounded
// Keeps the threads box between 1 and 50 by writing "1" or "50" into it (with
// a tolerance of 1e-7, so 1 and 50 stay); the write raises this event again.
void threads_box_changed(Harvest& harvest);
void elapsed_timer_tick(Harvest& harvest);   // part 9 := seconds since the start tick
void close_request(Harvest& harvest);        // sets the StopFlag; never refuses

// The worker count for a phase: the integer part of the threads box, held to
// 1..50 even where the box's tolerance lets 0.99999999 or 50.0000001 through.
std::int32_t threads_box_value(Harvest& harvest);

}  // namespace lanyi
