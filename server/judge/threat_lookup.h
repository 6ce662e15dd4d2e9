#pragma once
// Public lists of scam and malware websites, as the judge meets them: it asks about each link
// of a message and learns which list holds it. Where the lists are kept, and how they are
// refreshed, is the caller's (the service hands in its own lookup); the judge knows neither.
#include <string>

// The list a link is on, as its reason names it.
struct ThreatListing {
  std::string list_name; // "URLhaus"
  std::string updated;   // "10 December"
};

class ThreatLookup {
public:
  virtual ~ThreatLookup() = default;
  // `address` and `host` are what threat_address() makes of a link. True, with the listing,
  // when a list holds that address, or holds the whole host.
  virtual bool find(const std::string& address, const std::string& host,
                    ThreatListing* out) const = 0;
};

// The one form in which lists and links are compared: no scheme, the host in lower case with
// no user, trailing dot or default port, then the path as written (an empty one is "/", a
// trailing slash but the root's is dropped, %-escapes in upper case) and the query, without
// the fragment: "HTTP://Evil.Example:80/Login/?a=1#x" is "evil.example/Login?a=1".
// `*host` gets the host alone. False for what is no web address (another scheme, no host, a
// host longer than DNS allows, blanks or control bytes).
bool threat_address(const std::string& url, std::string* address, std::string* host);

// True when the address is a whole site ("evil.example/"): every page of its host is listed.
bool threat_address_is_whole_host(const std::string& address);
