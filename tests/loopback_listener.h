// A listening TCP socket on 127.0.0.1 at a free port, for the tests' own
// small servers.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace lanyi::testing {

// Returns the listening socket and sets `port`; -1 when none could be made.
inline int listen_on_loopback(int& port) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener, 16);
    socklen_t size = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    return listener;
}

}  // namespace lanyi::testing
