// ReplySlot: one reply handed from the network thread to the caller waiting
// for it.
//
// The caller waits with wait(); the reply comes with fulfil(), from the
// network thread or from abort() on any thread; the first fulfil() wins and
// the others are dropped. A caller whose deadline passes gives up, and a
// reply that comes later is dropped too. Shared through a shared_ptr by the
// caller and whoever may fulfil it.
//
// Waiting sleeps on a futex over the slot's state word, so handing over a
// reply costs one wake-up call and no lock: a condition variable costs two
// futex calls per hand-over (waking, then unlocking the re-taken mutex), and
// makes callers woken together queue up on a lock.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

#include "text/gbk_text.h"

namespace lanyi {

class ReplySlot {
public:
    using Deadline = std::optional<std::chrono::steady_clock::time_point>;

    // Hands the reply (empty when the fetch failed) to the caller; nothing
    // when the slot is done already.
    void fulfil(ByteBuffer reply);

    // The reply, or none when the deadline passed first (none: no deadline).
    // Called once, by the caller.
    std::optional<ByteBuffer> wait(Deadline deadline);

    // Whether a reply came or the caller gave up.
    bool done() const;

private:
    enum State : std::uint32_t { kPending, kFilling, kFulfilled, kAbandoned };
    std::atomic<std::uint32_t> state_{kPending};
    ByteBuffer reply_;  // written by the one fulfil() that leaves kPending
};

}  // namespace lanyi
