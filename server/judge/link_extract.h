#pragma once
// Finds the web links in a message: full addresses ("https://..."),
// "www." addresses and bare domains ("parcel-help.top/pay").
#include <string>
#include <vector>

#include "judge/public_suffix.h"

struct MessageLink {
  size_t start; // byte span of the link in the message
  size_t length;
  std::string host;  // lower case, without port, brackets or trailing dot
  bool has_scheme;   // written with http:// or https://
  bool has_userinfo; // "https://bank.co.uk@other.top/": the real host is after the @
};

// Bare domains count only when their last label is a top label of the
// suffix list, so "e.g." and "10.30am" are not mistaken for links.
// `holds_email`, when given, says whether the message holds an email address too (found in the
// same pass; holds_email_address below says the same on its own).
std::vector<MessageLink> extract_links(const std::string& message, const PublicSuffixList& psl,
                                       bool* holds_email = nullptr);

// True when the message holds an email address ("help@billing-desk.example"): a way to
// write to whoever sent it.
bool holds_email_address(const std::string& message);

// Dotted IPv4, a plain number ("3232235777"), hexadecimal or bracketed IPv6.
bool host_is_ip_literal(const std::string& host);

// Punycode labels ("xn--") or raw non-ASCII bytes: both can imitate a
// familiar name with look-alike letters.
bool host_is_internationalised(const std::string& host);

// The message with every link replaced by one space, so that words inside
// addresses ("/tax-refund") do not count as words of the message.
std::string blank_out_links(const std::string& message, const std::vector<MessageLink>& links);
