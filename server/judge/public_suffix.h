#pragma once
// Registered-domain lookup driven by the public suffix list file that Debian
// ships, so that "royalmail.co.uk.parcel-help.top" is judged by the part its
// owner actually registered.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#define PUBLIC_SUFFIX_DEFAULT_FILE "/usr/share/publicsuffix/public_suffix_list.dat"

// A name is a host name only up to these sizes (what DNS allows); anything longer is not
// a host at all, so no walk over its labels ever grows with what a message sends.
const size_t kMaxHostBytes = 253;
const size_t kMaxHostLabels = 127;

// Rule texts, looked up by any stretch of a host in place: the walk over a host's labels
// copies nothing.
struct SuffixSet {
  std::vector<std::string> texts;
  std::vector<uint32_t> slots; // 1 + an index into texts, or 0; a power of two long

  void insert(const std::string& text);
  size_t count(std::string_view text) const;
  size_t size() const { return texts.size(); }
};

struct PublicSuffixList {
  SuffixSet rules;      // "co.uk"
  SuffixSet wildcards;  // "ck" for the rule "*.ck"
  SuffixSet exceptions; // "www.ck" for the rule "!www.ck"
  SuffixSet top_labels; // last label of every rule
};

// Adds the rules of one list text (the file's format: one rule per line,
// "//" comments, only the text up to the first blank counts).
void psl_parse_text(PublicSuffixList* list, const std::string& text);

// Returns 0 when the file cannot be read or holds no rules.
int psl_load_file(PublicSuffixList* list, const char* path);

// Host names are expected in lower case, without a trailing dot. A name with an empty
// label, or longer than kMaxHostBytes or kMaxHostLabels, has no suffix.
std::string psl_public_suffix(const PublicSuffixList& list, const std::string& host);

// The public suffix plus one label; empty when the host is itself a suffix.
std::string psl_registered_domain(const PublicSuffixList& list, const std::string& host);

// True when some rule ends in this label ("uk", "com", "top").
bool psl_knows_top_label(const PublicSuffixList& list, const std::string& label);
