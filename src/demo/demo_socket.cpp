#include "demo/demo_socket.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace lanyi {

namespace {

int port_of(const sockaddr_in& address) { return ntohs(address.sin_port); }

}  // namespace

int find_connection_socket(int local_port, int peer_port) {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return -1;
    int found = -1;
    while (dirent* entry = readdir(dir)) {
        char* end = nullptr;
        long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == dirfd(dir)) continue;
        sockaddr_in local{}, peer{};
        socklen_t local_size = sizeof local, peer_size = sizeof peer;
        if (getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&local), &local_size) != 0 ||
            local.sin_family != AF_INET || port_of(local) != local_port)
            continue;
        if (getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&peer), &peer_size) != 0 ||
            peer.sin_family != AF_INET || port_of(peer) != peer_port ||
            peer.sin_addr.s_addr != htonl(INADDR_LOOPBACK))
            continue;
        found = static_cast<int>(fd);
        break;
    }
    closedir(dir);
    return found;
}

void reset_connection(int socket) {
    // Dissolving the association of a connected TCP socket aborts it: the
    // kernel sends RST, and the descriptor stays valid until its owner closes it.
    sockaddr unspecified{};
    unspecified.sa_family = AF_UNSPEC;
    if (connect(socket, &unspecified, sizeof unspecified) != 0) shutdown(socket, SHUT_RDWR);
}

void wait_for_hangup(int socket, std::chrono::milliseconds limit, const std::atomic<bool>& stop) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (!stop.load() && std::chrono::steady_clock::now() < until) {
        if (socket < 0) {
            poll(nullptr, 0, 50);
            continue;
        }
        pollfd watch{socket, POLLRDHUP, 0};
        int ready = poll(&watch, 1, 50);
        if (ready < 0 && errno != EINTR) return;
        if (ready > 0) return;  // hung up, or an error on the connection
    }
}

}  // namespace lanyi
