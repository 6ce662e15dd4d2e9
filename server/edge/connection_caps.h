#pragma once
// How many connections the edge holds at once. Each connection holds a request thread while it
// is open, so a client that opens many and sends nothing (or a TLS handshake that never ends)
// could take every thread. Two caps keep threads for everyone else:
// - per network (an IPv4 address, an IPv6 /64): at most `per_network` connections open; the
//   load balancers the service trusts are exempt, their clients are many;
// - waiting: at most `waiting` connections may sit in a handshake, or kept alive between
//   requests, at once. A new connection beyond it is closed; a kept-alive one is closed
//   instead of waiting for its next request.
// Platform-free counting; the edge (tls_server.cpp) asks before it waits.
#include <map>
#include <mutex>
#include <string>

const int kDefaultConnectionsPerNetwork = 32;

struct ConnectionCaps {
  int per_network = kDefaultConnectionsPerNetwork;
  int waiting = 96;
  std::mutex lock;
  std::map<std::string, int> open_by_network;
  int waiting_now = 0;
};

// Counts a connection from `network` open; false (nothing counted) when its network is full.
bool caps_open(ConnectionCaps* caps, const std::string& network, bool exempt);
void caps_close(ConnectionCaps* caps, const std::string& network, bool exempt);

// Takes one of the waiting places; false when none is free.
bool caps_start_wait(ConnectionCaps* caps);
void caps_end_wait(ConnectionCaps* caps);
