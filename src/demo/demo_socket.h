// Low-level moves on a connection the demo site is answering, for fault
// injection. The server library does not hand its handlers the socket, so it
// is found by its two port numbers. Linux only.
#pragma once

#include <atomic>
#include <chrono>

namespace lanyi {

// The socket of this process whose local port is `local_port` and whose peer
// is 127.0.0.1:`peer_port`; -1 when there is none. Only the handler serving
// that connection may use the result: the server keeps it open until then.
int find_connection_socket(int local_port, int peer_port);

// Aborts the connection with a TCP reset, leaving the descriptor open for its
// owner to close.
void reset_connection(int socket);

// Returns when the peer has closed the connection, `limit` has passed, or
// `stop` is set, whichever comes first. socket may be -1 (then only the
// limit and the flag count).
void wait_for_hangup(int socket, std::chrono::milliseconds limit, const std::atomic<bool>& stop);

}  // namespace lanyi
