// The test stream server's side of the story: which connections it still holds open, and
// which request each of them made.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace load_test {

// Client ports of the loopback TCP connections whose server end, on port, is still open
// (established, or closed by the client but not yet by the server), from /proc/net/tcp.
std::vector<int> OpenServerConnections(int port);

// The request target of each logged request, by the client port it came from, read from the
// server's /_log at base ("http://127.0.0.1:N"). Empty when the log could not be read.
std::map<int, std::string> RequestsByClientPort(const std::string& base);

}  // namespace load_test
