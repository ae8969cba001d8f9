// A one-connection-at-a-time HTTP server on 127.0.0.1 that misbehaves on
// its first `bad_connections` connections and then answers properly, each
// answer closing its connection (so every attempt of a client is a new
// connection and can be counted). The body can be streamed from a reused
// block, so a huge body costs the server no memory. Bounded: at most
// `max_connections` connections, every wait limited, stops when destroyed.
#pragma once

#include "loopback_listener.h"
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace lanyi::testing {

enum class Misbehaviour {
    Reset,        // reads the request, then aborts the connection (TCP reset)
    CloseAtOnce,  // closes right after accepting: an empty reply
    Truncate,     // declares 100 body bytes, sends 10, closes
    Stall,        // reads the request and never answers
    ServerError,  // a proper HTTP 500 with a short body
};

struct GoodAnswer {
    std::int64_t body_bytes = 5;  // body of 'x' bytes ("hello" when 5)
    bool declare_length = true;   // false: no Content-Length, the close ends the body
    std::string extra_headers;    // whole lines, each ending in "\r\n"
};

class FlakyHttpServer {
public:
    FlakyHttpServer(Misbehaviour bad, int bad_connections, GoodAnswer good = {}, int max_connections = 8)
        : bad_(bad), bad_connections_(bad_connections), good_(std::move(good)), max_connections_(max_connections) {
        listener_ = testing::listen_on_loopback(port_);
        thread_ = std::thread([this] { serve(); });
    }
    ~FlakyHttpServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }

    int port() const { return port_; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/page"; }
    int connections() const { return connections_.load(); }
    // Body bytes the kernel accepted before the client went away.
    std::int64_t body_bytes_sent() const { return body_sent_.load(); }

private:
    bool wait_readable(int fd, int rounds) {
        for (int i = 0; i < rounds && !stop_; ++i) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) return true;
        }
        return false;
    }

    void serve() {
        while (!stop_ && connections_ < max_connections_) {
            if (!wait_readable(listener_, 200)) continue;
            int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0) continue;
            int n = ++connections_;
            if (n <= bad_connections_) misbehave(client);
            else answer(client);
            ::close(client);
        }
    }

    // Reads up to the end of the request head; false when it never comes.
    bool read_request(int client) {
        std::string in;
        while (in.find("\r\n\r\n") == std::string::npos) {
            if (!wait_readable(client, 200)) return false;  // 10 s at most
            char buffer[4096];
            ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) return false;
            in.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }

    void send_all(int client, const std::string& bytes) {
        ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }

    void misbehave(int client) {
        if (bad_ == Misbehaviour::CloseAtOnce) return;
        if (!read_request(client)) return;
        switch (bad_) {
        case Misbehaviour::Reset: {
            linger abort_on_close{1, 0};
            ::setsockopt(client, SOL_SOCKET, SO_LINGER, &abort_on_close, sizeof abort_on_close);
            return;
        }
        case Misbehaviour::Truncate:
            send_all(client, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789");
            return;
        case Misbehaviour::Stall:
            // Until the client hangs up (or 30 s pass).
            for (int i = 0; i < 600 && !stop_; ++i) {
                pollfd p{client, POLLRDHUP, 0};
                if (::poll(&p, 1, 50) > 0) return;
            }
            return;
        case Misbehaviour::ServerError:
            send_all(client, "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 4\r\nConnection: close\r\n\r\noops");
            return;
        case Misbehaviour::CloseAtOnce:
            return;
        }
    }

    void answer(int client) {
        if (!read_request(client)) return;
        std::string head = "HTTP/1.1 200 OK\r\nConnection: close\r\n" + good_.extra_headers;
        if (good_.declare_length) head += "Content-Length: " + std::to_string(good_.body_bytes) + "\r\n";
        send_all(client, head + "\r\n");
        if (good_.body_bytes == 5) {
            send_all(client, "hello");
            return;
        }
        const std::string block(64 * 1024, 'x');
        for (std::int64_t left = good_.body_bytes; left > 0 && !stop_;) {
            auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(block.size())));
            pollfd p{client, POLLOUT, 0};
            if (::poll(&p, 1, 10000) <= 0) return;  // the client stopped reading
            ssize_t sent = ::send(client, block.data(), n, MSG_NOSIGNAL);
            if (sent <= 0) return;  // the client went away
            body_sent_ += sent;
            left -= sent;
        }
    }

    const Misbehaviour bad_;
    const int bad_connections_;
    const GoodAnswer good_;
    const int max_connections_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::atomic<std::int64_t> body_sent_{0};
    std::thread thread_;
};

}  // namespace lanyi::testing
