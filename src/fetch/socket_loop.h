// SocketLoop: drives a libcurl multi handle through its socket interface.
//
// libcurl says which sockets to watch, and for what, through the multi
// handle's socket callback, and when its next timer is due through the timer
// callback. The loop keeps those sockets in one pollfd array, waits on it
// with a single poll(), and hands libcurl exactly the sockets that are
// ready. Unlike curl_multi_perform(), which visits every transfer (and asks
// the kernel about each one's socket) on every round, a round here costs
// work only for the transfers that have something to do: with fifty
// transfers waiting on a slow site, a reply wakes one of them, not fifty.
// The array is changed in place, so watching another socket costs no system
// call either.
//
// Owned and used by the network thread; wake() may be called from any
// thread. The multi handle must outlive the loop, and curl_multi_cleanup()
// must run before the loop is destroyed (libcurl reports sockets it closes).
#pragma once

#include <curl/curl.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace lanyi {

class SocketLoop {
public:
    explicit SocketLoop(CURLM* multi);
    ~SocketLoop();
    SocketLoop(const SocketLoop&) = delete;
    SocketLoop& operator=(const SocketLoop&) = delete;

    // False when the wake-up descriptor could not be made.
    bool ok() const { return wake_fd_ >= 0; }

    // Lets libcurl act on its timer if it is due: new transfers start this
    // way, and time-outs end.
    void run_due_timer();

    // Which transfers a round lets libcurl run once the wait ends.
    enum class Round {
        ReadySockets,   // those whose sockets are ready, and those whose timer is due
        EveryTransfer,  // all of them, each once
    };

    // Waits up to `longest` (less when libcurl's timer is due sooner) for a
    // ready socket or a wake-up, then lets libcurl act as `round` says.
    //
    // EveryTransfer is for rounds in which some transfer is in the middle of
    // a large body. libcurl reads a socket at most about 1.6 MB at a time and
    // then asks, through its timer, to be called again at once; each call for
    // a ready socket also runs every such transfer again, so with several
    // large bodies streaming, a round of per-socket calls reads them many
    // times over while the other transfers wait, long enough for a server to
    // give up on them. Running each transfer once keeps every round short.
    void wait(std::chrono::milliseconds longest, Round round = Round::ReadySockets);

    // Ends the current or next wait. A burst of calls before the loop wakes
    // costs one write.
    void wake();

    // Sockets libcurl has asked the loop to watch.
    std::size_t watched() const { return fds_.size() - 1; }

private:
    static int on_socket(CURL* easy, curl_socket_t socket, int what, void* self, void* socket_data);
    static int on_timer(CURLM* multi, long timeout_ms, void* self);
    void watch(curl_socket_t socket, short events);
    void forget(curl_socket_t socket);
    // Clears what this round's poll said of `socket` and is not yet acted on.
    void drop_pending(curl_socket_t socket);

    CURLM* multi_;
    int wake_fd_ = -1;
    std::atomic<bool> wake_pending_{false};
    std::optional<std::chrono::steady_clock::time_point> timer_;  // libcurl's next timeout

    std::vector<pollfd> fds_;              // [0] is the wake-up descriptor
    std::vector<std::int32_t> slot_of_;    // by descriptor number: index in fds_, or -1
    std::vector<pollfd> ready_;            // one round's ready sockets, reused
    std::size_t acting_ = 0;               // the entry of ready_ libcurl is acting on
};

}  // namespace lanyi
