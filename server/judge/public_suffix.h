#pragma once
// Registered-domain lookup driven by the public suffix list file that Debian
// ships, so that "royalmail.co.uk.parcel-help.top" is judged by the part its
// owner actually registered.
#include <string>
#include <unordered_set>

#define PUBLIC_SUFFIX_DEFAULT_FILE "/usr/share/publicsuffix/public_suffix_list.dat"

struct PublicSuffixList {
  std::unordered_set<std::string> rules;      // "co.uk"
  std::unordered_set<std::string> wildcards;  // "ck" for the rule "*.ck"
  std::unordered_set<std::string> exceptions; // "www.ck" for the rule "!www.ck"
  std::unordered_set<std::string> top_labels; // last label of every rule
};

// Adds the rules of one list text (the file's format: one rule per line,
// "//" comments, only the text up to the first blank counts).
void psl_parse_text(PublicSuffixList* list, const std::string& text);

// Returns 0 when the file cannot be read or holds no rules.
int psl_load_file(PublicSuffixList* list, const char* path);

// Host names are expected in lower case, without a trailing dot.
std::string psl_public_suffix(const PublicSuffixList& list, const std::string& host);

// The public suffix plus one label; empty when the host is itself a suffix.
std::string psl_registered_domain(const PublicSuffixList& list, const std::string& host);

// True when some rule ends in this label ("uk", "com", "top").
bool psl_knows_top_label(const PublicSuffixList& list, const std::string& label);
