// A tiny HTTP server on 127.0.0.1 for tests that must see the exact bytes a
// client sends. It answers each request with the next canned response (the
// last one repeats), records every request as raw bytes, and stops after
// `max_connections` connections or when destroyed. Every wait is bounded.
#pragma once

#include "loopback_listener.h"
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lanyi::testing {

class RawHttpServer {
public:
    explicit RawHttpServer(std::vector<std::string> responses, int max_connections = 8)
        : responses_(std::move(responses)), max_connections_(max_connections) {
        listener_ = testing::listen_on_loopback(port_);
        thread_ = std::thread([this] { serve(); });
    }
    ~RawHttpServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }

    int port() const { return port_; }
    int connections() const { return connections_.load(); }
    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

    // "Content-Length: n" with the body appended; a body-less status otherwise.
    static std::string response(const std::string& head, const std::string& body) {
        return head + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }

private:
    bool wait_readable(int fd) {
        for (int i = 0; i < 200 && !stop_; ++i) {  // 10 s at most
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) return true;
        }
        return false;
    }

    void serve() {
        while (!stop_ && connections_ < max_connections_) {
            if (!wait_readable(listener_)) continue;
            int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0) continue;
            ++connections_;
            serve_connection(client);
            ::close(client);
        }
    }

    void serve_connection(int client) {
        std::string pending;
        for (int exchanges = 0; exchanges < 16 && !stop_; ++exchanges) {
            std::size_t end;
            while ((end = pending.find("\r\n\r\n")) == std::string::npos) {
                if (!read_more(client, pending)) return;
            }
            std::size_t length = 0;
            std::size_t at = lower(pending.substr(0, end)).find("\r\ncontent-length: ");
            if (at != std::string::npos) length = std::strtoul(pending.c_str() + at + 18, nullptr, 10);
            while (pending.size() < end + 4 + length) {
                if (!read_more(client, pending)) return;
            }
            std::string request = pending.substr(0, end + 4 + length);
            pending.erase(0, request.size());
            std::string reply;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
                reply = responses_[std::min(requests_.size(), responses_.size()) - 1];
            }
            ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
    }

    bool read_more(int client, std::string& into) {
        if (!wait_readable(client)) return false;
        char buffer[4096];
        ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) return false;
        into.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    static std::string lower(std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return text;
    }

    std::vector<std::string> responses_;
    const int max_connections_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace lanyi::testing
