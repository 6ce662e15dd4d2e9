#pragma once
// Client addresses as the limits count them, and the address ranges given on the command line
// (--trust-proxy). One IPv6 client is given a whole /64, so it counts as one: its network.
#include <string>
#include <vector>

// An IPv4 address as it is; an IPv6 address as its /64 ("2001:db8:1:2::/64"); an IPv4 address
// written as IPv6 (::ffff:192.0.2.1) as the IPv4 one. Text that is no address comes back as is.
std::string client_network(const std::string& address);

struct AddressRange {
  int family = 0; // 4 or 6
  unsigned char bytes[16] = {0};
  int bits = 0;
};

// "ADDRESS[/BITS][,ADDRESS[/BITS]...]"; false with a plain-English `error` when any is not one.
bool parse_address_ranges(const std::string& text, std::vector<AddressRange>* out,
                          std::string* error);

bool address_in_ranges(const std::string& address, const std::vector<AddressRange>& ranges);
