#include "judge/threat_lookup.h"

#include <cstring>

#include "judge/public_suffix.h"

namespace {

bool starts_with_nocase(const std::string& text, const char* prefix) {
  size_t len = std::strlen(prefix);
  if (text.size() < len) return false;
  for (size_t i = 0; i < len; ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

char upper_hex(char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c; }

bool host_byte_ok(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
         u >= 0x80;
}

// "[2001:db8::1]" or a name of letters, digits, hyphens and dots.
bool host_ok(const std::string& host) {
  if (host.empty() || host.size() > kMaxHostBytes) return false;
  if (host[0] == '[') return host.back() == ']' && host.find_first_of(" /@") == std::string::npos;
  if (host[0] == '.' || host.find("..") != std::string::npos) return false;
  for (char c : host) {
    if (!host_byte_ok(c)) return false;
  }
  return true;
}

} // namespace

bool threat_address(const std::string& url, std::string* address, std::string* host) {
  size_t begin = 0;
  if (starts_with_nocase(url, "http://")) {
    begin = 7;
  } else if (starts_with_nocase(url, "https://")) {
    begin = 8;
  } else if (url.find("://") != std::string::npos) {
    return false;
  }
  for (char c : url) {
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f) return false;
  }
  size_t path_at = url.find_first_of("/?#", begin);
  if (path_at == std::string::npos) path_at = url.size();
  std::string authority = url.substr(begin, path_at - begin);
  size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  std::string port;
  size_t colon = authority.rfind(':');
  if (colon != std::string::npos && authority.find(']', colon) == std::string::npos) {
    port = authority.substr(colon + 1);
    authority.erase(colon);
    if (port.find_first_not_of("0123456789") != std::string::npos || port.size() > 5) return false;
    if (port == "80" || port == "443") port.clear();
  }
  for (char& c : authority) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  while (!authority.empty() && authority.back() == '.')
    authority.pop_back();
  if (!host_ok(authority)) return false;
  *host = authority;

  size_t fragment = url.find('#', path_at);
  std::string rest =
      url.substr(path_at, fragment == std::string::npos ? std::string::npos : fragment - path_at);
  if (rest.empty() || rest[0] == '?') rest.insert(0, "/");
  for (size_t i = 0; i + 2 < rest.size(); ++i) {
    if (rest[i] != '%') continue;
    rest[i + 1] = upper_hex(rest[i + 1]);
    rest[i + 2] = upper_hex(rest[i + 2]);
  }
  size_t query = rest.find('?');
  size_t path_end = query == std::string::npos ? rest.size() : query;
  if (path_end > 1 && rest[path_end - 1] == '/') rest.erase(path_end - 1, 1);
  *address = *host + (port.empty() ? "" : ":" + port) + rest;
  return true;
}

bool threat_address_is_whole_host(const std::string& address) {
  size_t slash = address.find('/');
  return slash != std::string::npos && slash + 1 == address.size();
}
