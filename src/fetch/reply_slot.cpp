#include "fetch/reply_slot.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <ctime>

namespace lanyi {

namespace {

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

std::uint32_t* word_of(std::atomic<std::uint32_t>& state) { return reinterpret_cast<std::uint32_t*>(&state); }

// Sleeps while the word still holds `seen`, until woken or, with a deadline,
// until that moment of the steady clock (CLOCK_MONOTONIC). Returns early on
// any signal or spurious wake; callers look again.
void futex_wait(std::atomic<std::uint32_t>& state, std::uint32_t seen, const ReplySlot::Deadline& deadline) {
    timespec until{};
    if (deadline) {
        auto since_epoch = deadline->time_since_epoch();
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since_epoch);
        until.tv_sec = static_cast<time_t>(seconds.count());
        until.tv_nsec = static_cast<long>(std::chrono::nanoseconds(since_epoch - seconds).count());
    }
    syscall(SYS_futex, word_of(state), FUTEX_WAIT_BITSET_PRIVATE, seen, deadline ? &until : nullptr, nullptr,
            FUTEX_BITSET_MATCH_ANY);
}

void futex_wake_all(std::atomic<std::uint32_t>& state) {
    syscall(SYS_futex, word_of(state), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

}  // namespace

void ReplySlot::fulfil(ByteBuffer reply) {
    std::uint32_t pending = kPending;
    if (!state_.compare_exchange_strong(pending, kFilling, std::memory_order_acquire)) return;
    reply_ = std::move(reply);
    state_.store(kFulfilled, std::memory_order_release);
    futex_wake_all(state_);
}

std::optional<ByteBuffer> ReplySlot::wait(Deadline deadline) {
    for (;;) {
        std::uint32_t seen = state_.load(std::memory_order_acquire);
        if (seen == kFulfilled) return std::move(reply_);
        if (deadline && std::chrono::steady_clock::now() >= *deadline && seen == kPending) {
            if (state_.compare_exchange_strong(seen, kAbandoned)) return std::nullopt;
            continue;  // a reply is being filled in just now
        }
        futex_wait(state_, seen, deadline);
    }
}

bool ReplySlot::done() const { return state_.load(std::memory_order_acquire) != kPending; }

}  // namespace lanyi
