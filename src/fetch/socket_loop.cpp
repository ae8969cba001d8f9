#include "fetch/socket_loop.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

namespace lanyi {

namespace {

using SteadyClock = std::chrono::steady_clock;

}  // namespace

SocketLoop::SocketLoop(CURLM* multi) : multi_(multi) {
    wake_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (!ok()) return;
    fds_.push_back(pollfd{wake_fd_, POLLIN, 0});
    curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &SocketLoop::on_socket);
    curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, static_cast<void*>(this));
    curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &SocketLoop::on_timer);
    curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, static_cast<void*>(this));
}

SocketLoop::~SocketLoop() {
    if (wake_fd_ >= 0) close(wake_fd_);
}

void SocketLoop::wake() {
    if (wake_fd_ < 0 || wake_pending_.exchange(true)) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wake_fd_, &one, sizeof one);
}

int SocketLoop::on_socket(CURL*, curl_socket_t socket, int what, void* self, void*) {
    auto* loop = static_cast<SocketLoop*>(self);
    if (what == CURL_POLL_REMOVE) {
        loop->forget(socket);
    } else {
        loop->watch(socket, static_cast<short>(((what & CURL_POLL_IN) ? POLLIN : 0) |
                                               ((what & CURL_POLL_OUT) ? POLLOUT : 0)));
    }
    return 0;
}

int SocketLoop::on_timer(CURLM*, long timeout_ms, void* self) {
    auto* loop = static_cast<SocketLoop*>(self);
    if (timeout_ms < 0)
        loop->timer_.reset();
    else
        loop->timer_ = SteadyClock::now() + std::chrono::milliseconds(timeout_ms);
    return 0;
}

void SocketLoop::drop_pending(curl_socket_t socket) {
    for (std::size_t i = acting_ + 1; i < ready_.size(); ++i)
        if (ready_[i].fd == socket) ready_[i].revents = 0;
}

void SocketLoop::watch(curl_socket_t socket, short events) {
    if (socket < 0) return;
    const auto fd = static_cast<std::size_t>(socket);
    if (fd >= slot_of_.size()) slot_of_.resize(fd + 1, -1);
    if (slot_of_[fd] < 0) {
        // A new socket under the number of one closed this round: what poll
        // said of the old one is not news about this one.
        drop_pending(socket);
        slot_of_[fd] = static_cast<std::int32_t>(fds_.size());
        fds_.push_back(pollfd{socket, events, 0});
    } else {
        fds_[static_cast<std::size_t>(slot_of_[fd])].events = events;
    }
}

void SocketLoop::forget(curl_socket_t socket) {
    const auto fd = static_cast<std::size_t>(socket);
    if (socket < 0 || fd >= slot_of_.size() || slot_of_[fd] < 0) return;
    // The last entry fills the gap.
    drop_pending(socket);
    const auto slot = static_cast<std::size_t>(slot_of_[fd]);
    fds_[slot] = fds_.back();
    slot_of_[static_cast<std::size_t>(fds_[slot].fd)] = static_cast<std::int32_t>(slot);
    fds_.pop_back();
    slot_of_[fd] = -1;
}

void SocketLoop::run_due_timer() {
    if (!timer_ || SteadyClock::now() < *timer_) return;
    timer_.reset();
    int running = 0;
    curl_multi_socket_action(multi_, CURL_SOCKET_TIMEOUT, 0, &running);
}

void SocketLoop::wait(std::chrono::milliseconds longest, Round round) {
    auto wait = longest;
    if (timer_) {
        auto until = std::chrono::ceil<std::chrono::milliseconds>(*timer_ - SteadyClock::now());
        wait = std::clamp(until, std::chrono::milliseconds(0), wait);
    }
    const int count = poll(fds_.data(), fds_.size(), static_cast<int>(wait.count()));
    if (count > 0) {
        // Collected first: libcurl changes the array while it acts.
        ready_.clear();
        for (pollfd& entry : fds_) {
            if (entry.revents != 0) ready_.push_back(entry);
            entry.revents = 0;
        }
        for (acting_ = 0; acting_ < ready_.size(); ++acting_) {
            const pollfd entry = ready_[acting_];
            if (entry.revents == 0) continue;  // its socket closed meanwhile
            if (entry.fd == wake_fd_) {
                std::uint64_t wakes = 0;
                [[maybe_unused]] ssize_t read_bytes = read(wake_fd_, &wakes, sizeof wakes);
                // Cleared after the drain: a wake() from here on writes
                // again, and one before it is seen by the caller's next look
                // at its queue.
                wake_pending_ = false;
                continue;
            }
            if (round == Round::EveryTransfer) continue;
            int flags = 0;
            if (entry.revents & (POLLIN | POLLHUP)) flags |= CURL_CSELECT_IN;
            if (entry.revents & POLLOUT) flags |= CURL_CSELECT_OUT;
            if (entry.revents & (POLLERR | POLLNVAL)) flags |= CURL_CSELECT_ERR;
            int running = 0;
            curl_multi_socket_action(multi_, entry.fd, flags, &running);
        }
        ready_.clear();
    }
    if (round == Round::EveryTransfer) {
        timer_.reset();
        int running = 0;
        // Deprecated for event loops, which have no use for it; here it is
        // the one call that runs every transfer once and still reports
        // socket changes through the socket callback.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        curl_multi_socket_all(multi_, &running);
#pragma GCC diagnostic pop
    }
    run_due_timer();
}

}  // namespace lanyi
