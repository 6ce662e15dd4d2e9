#include "judge/link_extract.h"

#include <algorithm>
#include <cstring>

namespace {

// Bytes that end a link: blanks, brackets and quotes.
struct ByteSet {
  bool has[256];
};

constexpr ByteSet make_byte_set(const char* bytes) {
  ByteSet set{};
  for (const char* p = bytes; *p; ++p)
    set.has[static_cast<unsigned char>(*p)] = true;
  return set;
}

constexpr ByteSet kSplitBytes = make_byte_set(" \t\r\n\v\f<>\"()[]{}|`^");

bool is_split_byte(char c) { return kSplitBytes.has[static_cast<unsigned char>(c)]; }

bool is_trailing_punctuation(char c) {
  return c == '.' || c == ',' || c == ';' || c == ':' || c == '!' || c == '?' || c == '\'' ||
         c == '*';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string lower_ascii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool starts_with_nocase(const std::string& text, const char* prefix) {
  size_t len = std::strlen(prefix);
  return text.size() >= len && lower_ascii(text.substr(0, len)) == prefix;
}

// A name longer than DNS allows is not a host (public_suffix.h), however it is dotted.
bool host_bytes_ok(const std::string& host) {
  if (host.empty() || host.size() > kMaxHostBytes || host.front() == '.' ||
      host.find("..") != std::string::npos)
    return false;
  size_t labels = 1;
  for (char c : host) {
    unsigned char u = static_cast<unsigned char>(c);
    if (!(is_alpha(c) || is_digit(c) || c == '-' || c == '.' || u >= 0x80)) return false;
    labels += c == '.' ? 1 : 0;
  }
  return labels <= kMaxHostLabels;
}

// Splits "user@host:port/path" and fills the link; false when no host.
bool parse_authority(const std::string& rest, MessageLink* link) {
  size_t end = rest.find_first_of("/?#\\");
  std::string authority = rest.substr(0, end);
  size_t at = authority.rfind('@');
  if (at != std::string::npos) {
    link->has_userinfo = true;
    authority = authority.substr(at + 1);
  }
  std::string host;
  if (!authority.empty() && authority[0] == '[') {
    size_t close = authority.find(']');
    if (close == std::string::npos) return false;
    host = authority.substr(0, close + 1);
  } else {
    host = authority.substr(0, authority.find(':'));
    while (!host.empty() && host.back() == '.')
      host.pop_back();
    if (!host_bytes_ok(host)) return false;
  }
  link->host = lower_ascii(host);
  return !link->host.empty();
}

std::string last_label(const std::string& host) {
  size_t dot = host.rfind('.');
  return dot == std::string::npos ? host : host.substr(dot + 1);
}

bool bare_domain_plausible(const MessageLink& link, const std::string& token,
                           const PublicSuffixList& psl) {
  if (link.host.find('.') == std::string::npos) return false;
  if (host_is_ip_literal(link.host)) {
    // A bare dotted number is usually a price, a version or a ratio
    // ("98.17:1"); a dotted quad with a path or a port is an address.
    return std::count(link.host.begin(), link.host.end(), '.') == 3 &&
           token.find_first_of("/:") != std::string::npos;
  }
  std::string top = last_label(link.host);
  if (top.size() < 2) return false;
  if (top.compare(0, 4, "xn--") == 0) return true;
  for (char c : top) {
    if (!is_alpha(c) && static_cast<unsigned char>(c) < 0x80) return false;
  }
  return psl_knows_top_label(psl, top);
}

bool link_from_token(const std::string& token, const PublicSuffixList& psl, MessageLink* link) {
  link->has_scheme = false;
  link->has_userinfo = false;
  std::string rest;
  if (starts_with_nocase(token, "https://")) {
    rest = token.substr(8);
    link->has_scheme = true;
  } else if (starts_with_nocase(token, "http://")) {
    rest = token.substr(7);
    link->has_scheme = true;
  } else {
    size_t at = token.find('@');
    size_t slash = token.find('/');
    // An email address, not a link.
    if (at != std::string::npos && (slash == std::string::npos || at < slash)) return false;
    rest = token;
  }
  if (!parse_authority(rest, link)) return false;
  if (link->has_scheme || starts_with_nocase(token, "www.")) return true;
  return bare_domain_plausible(*link, token, psl);
}

// The next word of a message from `pos`, without the punctuation around it: [*start, *end).
// Returns where the next one starts.
size_t next_token(const std::string& message, size_t pos, size_t* start, size_t* end) {
  while (pos < message.size() && is_split_byte(message[pos]))
    ++pos;
  *start = pos;
  while (pos < message.size() && !is_split_byte(message[pos]))
    ++pos;
  *end = pos;
  while (*start < *end && (is_trailing_punctuation(message[*start]) || message[*start] == '\''))
    ++*start;
  while (*end > *start && is_trailing_punctuation(message[*end - 1]))
    --*end;
  return pos;
}

// "someone@domain.tld": a name before the @ and a dotted host after it.
bool token_is_email(const std::string& message, size_t start, size_t end) {
  const char* token = message.data() + start;
  const void* at = std::memchr(token, '@', end - start);
  if (!at) return false;
  size_t local = static_cast<size_t>(static_cast<const char*>(at) - token);
  std::string domain = message.substr(start + local + 1, end - start - local - 1);
  return local > 0 && domain.find('.') != std::string::npos && host_bytes_ok(domain);
}

} // namespace

std::vector<MessageLink> extract_links(const std::string& message, const PublicSuffixList& psl,
                                       bool* holds_email) {
  std::vector<MessageLink> links;
  if (holds_email) *holds_email = false;
  size_t pos = 0;
  while (pos < message.size()) {
    size_t start = 0;
    size_t end = 0;
    pos = next_token(message, pos, &start, &end);
    if (end == start) continue;
    // Every link has a dot or a scheme's colon; most words have neither.
    const char* span = message.data() + start;
    const bool dotted = std::memchr(span, '.', end - start) != nullptr;
    if (!dotted && !std::memchr(span, ':', end - start)) continue;
    if (holds_email && dotted && !*holds_email) *holds_email = token_is_email(message, start, end);
    MessageLink link;
    link.start = start;
    link.length = end - start;
    if (link_from_token(message.substr(start, end - start), psl, &link)) links.push_back(link);
  }
  return links;
}

bool holds_email_address(const std::string& message) {
  bool holds = false;
  for (size_t pos = 0; pos < message.size() && !holds;) {
    size_t start = 0;
    size_t end = 0;
    pos = next_token(message, pos, &start, &end);
    holds = end > start && token_is_email(message, start, end);
  }
  return holds;
}

bool host_is_ip_literal(const std::string& host) {
  if (host.empty()) return false;
  if (host[0] == '[') return true;
  if (host.size() > 2 && host[0] == '0' && host[1] == 'x') {
    for (size_t i = 2; i < host.size(); ++i) {
      char c = host[i];
      if (!is_digit(c) && !(c >= 'a' && c <= 'f')) return false;
    }
    return true;
  }
  int dots = 0;
  for (char c : host) {
    if (c == '.') {
      ++dots;
    } else if (!is_digit(c)) {
      return false;
    }
  }
  return dots <= 3;
}

bool host_is_internationalised(const std::string& host) {
  if (host.compare(0, 4, "xn--") == 0 || host.find(".xn--") != std::string::npos) return true;
  for (char c : host) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

std::string blank_out_links(const std::string& message, const std::vector<MessageLink>& links) {
  std::string out;
  size_t pos = 0;
  for (const MessageLink& link : links) {
    if (link.start < pos) continue;
    out.append(message, pos, link.start - pos);
    out.push_back(' ');
    pos = link.start + link.length;
  }
  out.append(message, pos, std::string::npos);
  return out;
}
