#include "base/service_hosts.h"

namespace {

bool is_ip_literal(const std::string& name) {
  if (!name.empty() && name.front() == '[') return name.back() == ']';
  if (name.empty()) return false;
  for (char c : name) {
    if (!((c >= '0' && c <= '9') || c == '.')) return false;
  }
  return true;
}

} // namespace

SiteHost site_host(const std::string& host_header) {
  std::string name;
  for (char c : host_header)
    name.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  size_t colon = name.rfind(':');
  if (colon != std::string::npos && name.find(']', colon) == std::string::npos) name.resize(colon);
  if (!name.empty() && name.back() == '.') name.pop_back();
  if (name == CALLWARDEN_SERVICE_HOST || is_ip_literal(name)) return kHostApi;
  if (name == CALLWARDEN_WEB_HOST) return kHostWeb;
  return kHostUnknown;
}

std::string web_origin() { return "https://" CALLWARDEN_WEB_HOST; }
