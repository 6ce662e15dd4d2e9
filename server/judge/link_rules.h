#pragma once
// The link rules: where each link in a message really goes, judged against
// the brands the message names.
#include <string>
#include <vector>

#include "judge/link_extract.h"
#include "judge/public_suffix.h"
#include "judge/rule_hit.h"
#include "judge/threat_lookup.h"

// `brands_claimed` says, per brand of brand_table, whether the message (with
// its links blanked out) speaks as it (brand_claims.h). Each rule is added at
// most once.
void collect_link_hits(const std::vector<MessageLink>& links,
                       const std::vector<bool>& brands_claimed, const PublicSuffixList& psl,
                       std::vector<RuleHit>* hits);

// As much as a message can weigh: a listed link makes it a scam whatever else it says.
const int kListedLinkWeight = 100;

// A link a public list of scam websites holds (threat_lookup.h) makes the message a scam:
// added once, with the first such list's name and date.
void collect_listed_links(const std::string& message, const std::vector<MessageLink>& links,
                          const ThreatLookup& threats, std::vector<RuleHit>* hits);

// True when a link goes to a site that none of the known brands owns.
bool has_unknown_link(const std::vector<MessageLink>& links);
