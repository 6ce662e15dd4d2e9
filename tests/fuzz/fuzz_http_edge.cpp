// Raw bytes as a request reaching the service's HTTP edge: the head is split as the HTTP
// library splits it (request line, then "Name: value" lines up to an empty one), and every
// decision the edge takes on a head before reading a body runs on it. Checks that nothing is
// let on that could leave unread bytes behind it, and that no address is made up.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/client_network.h"
#include "base/service_hosts.h"
#include "edge/client_address.h"
#include "edge/request_guard.h"

namespace {

void require(bool condition) {
  if (!condition) abort();
}

std::vector<std::string> head_lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    if (line.empty()) break;
    lines.push_back(line);
  }
  return lines;
}

bool names_field(const std::string& name, const char* wanted) {
  if (name.size() != std::char_traits<char>::length(wanted)) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    char w = wanted[i];
    if (w >= 'A' && w <= 'Z') w = static_cast<char>(w - 'A' + 'a');
    if (c != w) return false;
  }
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines = head_lines(bytes);
  if (lines.empty()) return 0;
  std::string method = lines[0].substr(0, lines[0].find(' '));
  HeadFields fields;
  std::string host;
  std::string forwarded;
  int lengths = 0;
  bool chunked = false;
  for (size_t i = 1; i < lines.size(); ++i) {
    size_t colon = lines[i].find(':');
    if (colon == std::string::npos) continue;
    std::string value = lines[i].substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    fields.emplace_back(lines[i].substr(0, colon), value);
    if (names_field(fields.back().first, "Host")) host = value;
    if (names_field(fields.back().first, "X-Forwarded-For")) forwarded = value;
    if (names_field(fields.back().first, "Content-Length")) ++lengths;
    if (names_field(fields.back().first, "Transfer-Encoding")) chunked = true;
  }

  const uint64_t limit = 64 * 1024;
  GuardVerdict verdict = guard_request_head(method, fields, limit);
  require(verdict.status == 0 || verdict.status == 400 || verdict.status == 411 ||
          verdict.status == 413);
  // Every refusal is made before the body is read, so its connection must close.
  require(verdict.status == 0 || verdict.close);
  if (verdict.status == 0) {
    require(!chunked);
    const bool reads_body = method == "POST" || method == "PUT" || method == "PATCH" ||
                            method == "DELETE" || method == "PRI";
    if (!reads_body) require(!head_announces_body(fields));
    if (reads_body) require(lengths >= 1);
  }

  SiteHost site = site_host(host);
  require(site == kHostApi || site == kHostWeb || site == kHostUnknown);

  // Whatever a client writes, the address it counts as is the peer's or one it could hold.
  const std::string peer = "192.0.2.10";
  std::string client = client_address(peer, forwarded, true);
  require(client.size() <= 64);
  require(client_address(peer, forwarded, false) == peer);
  std::string network = client_network(client);
  require(network.size() <= 64);

  std::vector<AddressRange> ranges;
  std::string error;
  if (parse_address_ranges(lines[0], &ranges, &error)) {
    require(!ranges.empty());
    for (const AddressRange& range : ranges)
      require((range.family == 4 && range.bits <= 32) || (range.family == 6 && range.bits <= 128));
  } else {
    require(!error.empty());
  }
  return 0;
}
