#include "edge/client_address.h"

std::string client_address(const std::string& socket_peer, const std::string& forwarded_for,
                           bool trust_proxy) {
  if (!trust_proxy) return socket_peer;
  size_t comma = forwarded_for.rfind(',');
  std::string last = comma == std::string::npos ? forwarded_for : forwarded_for.substr(comma + 1);
  size_t first = last.find_first_not_of(" \t");
  if (first == std::string::npos) return socket_peer;
  last = last.substr(first, last.find_last_not_of(" \t") - first + 1);
  // An address is short and printable; anything else is not one.
  if (last.size() > 64) return socket_peer;
  for (char c : last) {
    bool fits = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
                c == '.' || c == ':';
    if (!fits) return socket_peer;
  }
  return last;
}
