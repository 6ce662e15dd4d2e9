#pragma once
// The link rules: where each link in a message really goes, judged against
// the brands the message names.
#include <string>
#include <vector>

#include "link_extract.h"
#include "public_suffix.h"
#include "rule_hit.h"

// `words` is the normalised message with its links blanked out; it is where
// brand names are looked for. Each rule is added at most once.
void collect_link_hits(const std::vector<MessageLink>& links, const std::string& words,
                       const PublicSuffixList& psl, std::vector<RuleHit>* hits);

// True when a link goes to a site that none of the known brands owns.
bool has_unknown_link(const std::vector<MessageLink>& links);
