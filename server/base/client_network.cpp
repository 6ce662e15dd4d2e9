#include "base/client_network.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstring>

namespace {

// 4 or 6 with the address's bytes; 0 when the text is no address. A mapped IPv4 address is
// read as IPv4, so both spellings of one client fall in the same ranges.
int read_address(const std::string& text, unsigned char bytes[16]) {
  if (text.size() > 64) return 0;
  if (inet_pton(AF_INET, text.c_str(), bytes) == 1) return 4;
  if (inet_pton(AF_INET6, text.c_str(), bytes) != 1) return 0;
  static const unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
  if (std::memcmp(bytes, kMapped, 12) == 0) {
    std::memmove(bytes, bytes + 12, 4);
    return 4;
  }
  return 6;
}

bool read_bits(const std::string& text, int most, int* bits) {
  if (text.empty() || text.size() > 3) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > most) return false;
  *bits = value;
  return true;
}

bool prefix_matches(const unsigned char* a, const unsigned char* b, int bits) {
  int whole = bits / 8;
  if (std::memcmp(a, b, static_cast<size_t>(whole)) != 0) return false;
  int rest = bits % 8;
  if (rest == 0) return true;
  unsigned char mask = static_cast<unsigned char>(0xFF << (8 - rest));
  return (a[whole] & mask) == (b[whole] & mask);
}

} // namespace

std::string client_network(const std::string& address) {
  unsigned char bytes[16];
  int family = read_address(address, bytes);
  if (family == 0) return address;
  if (family == 4) {
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, bytes, text, sizeof(text));
    return text;
  }
  char text[48];
  std::snprintf(text, sizeof(text), "%x:%x:%x:%x::/64", bytes[0] << 8 | bytes[1],
                bytes[2] << 8 | bytes[3], bytes[4] << 8 | bytes[5], bytes[6] << 8 | bytes[7]);
  return text;
}

bool parse_address_ranges(const std::string& text, std::vector<AddressRange>* out,
                          std::string* error) {
  out->clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    std::string item = text.substr(start, comma - start);
    start = comma + 1;
    size_t slash = item.find('/');
    std::string address = item.substr(0, slash);
    AddressRange range;
    range.family = read_address(address, range.bytes);
    bool ok = range.family != 0;
    int most = range.family == 4 ? 32 : 128;
    range.bits = most;
    if (ok && slash != std::string::npos) ok = read_bits(item.substr(slash + 1), most, &range.bits);
    if (!ok) {
      *error = "\"" + item.substr(0, 64) +
               "\" is not an address or a network such as 10.0.0.5 or 10.0.0.0/24.";
      return false;
    }
    out->push_back(range);
  }
  return true;
}

bool address_in_ranges(const std::string& address, const std::vector<AddressRange>& ranges) {
  unsigned char bytes[16];
  int family = read_address(address, bytes);
  if (family == 0) return false;
  for (const AddressRange& range : ranges) {
    if (range.family == family && prefix_matches(bytes, range.bytes, range.bits)) return true;
  }
  return false;
}
