#include "api/bearer_token.h"

namespace {

const size_t kMaxTokenLength = 319;

} // namespace

TokenState read_bearer_token(bool header_present, const std::string& header, std::string* token) {
  if (!header_present) return kNoToken;
  const char* scheme = "bearer";
  if (header.size() < 7) return kMalformedToken;
  for (size_t i = 0; i < 6; ++i) {
    char c = header[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != scheme[i]) return kMalformedToken;
  }
  size_t start = 6;
  if (header[start] != ' ' && header[start] != '\t') return kMalformedToken;
  while (start < header.size() && (header[start] == ' ' || header[start] == '\t'))
    ++start;
  size_t end = header.size();
  while (end > start && (header[end - 1] == ' ' || header[end - 1] == '\t'))
    --end;
  std::string value = header.substr(start, end - start);
  if (value.empty() || value.size() > kMaxTokenLength) return kMalformedToken;
  for (char c : value) {
    if (c <= 0x20 || c >= 0x7F) return kMalformedToken;
  }
  *token = value;
  return kWellFormedToken;
}
