#pragma once
// Which address a request came from, for the limits per network and the log.
#include <string>

// The socket's peer, or, when the service runs behind a load balancer it trusts
// (--trust-proxy), the address that balancer put last in X-Forwarded-For: the entries before
// it were written by the client and prove nothing.
std::string client_address(const std::string& socket_peer, const std::string& forwarded_for,
                           bool trust_proxy);
