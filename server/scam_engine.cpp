#include "scam_engine.h"

#include <algorithm>

#include "link_extract.h"
#include "link_rules.h"
#include "phrase_rules.h"
#include "text_scan.h"

namespace {

const char* const kScamHeadline = "This message looks like a scam.";
const char* const kCautionHeadline = "Be careful: this message has warning signs.";
const char* const kSafeHeadline = "No obvious scam tricks spotted.";

const char* const kScamAdviceTail =
    "Do not reply, click or pay. If it came by text, forward it to 7726 for free. If you have "
    "already paid or "
    "shared details, call your bank on 159 and report it to Action Fraud.";
const char* const kCautionAdviceTail = "If you are unsure, contact the company using a number or "
                                       "website you already trust, not the ones in this "
                                       "message. Forward suspicious texts to 7726.";
const char* const kSafeAdviceTail = "Stay careful: never share PINs, passwords or one-time codes, "
                                    "and check anything unexpected with the "
                                    "company directly.";

void collect_phrase_hits(const std::string& words, bool unknown_link, std::vector<RuleHit>* hits) {
  size_t count = 0;
  const PhraseRule* rules = phrase_rule_table(&count);
  for (size_t i = 0; i < count; ++i) {
    const PhraseRule& rule = rules[i];
    if (rule.needs_unknown_link && !unknown_link) continue;
    if (!any_phrase_present(words, rule.any_of, rule.honour_negation)) continue;
    if (rule.with_any_of && !any_phrase_present(words, rule.with_any_of, rule.honour_negation))
      continue;
    hits->push_back(RuleHit{rule.id, rule.weight, rule.reason, rule.advice});
  }
}

} // namespace

ScamAssessment assess_message(const std::string& message, const PublicSuffixList& psl) {
  ScamAssessment result;
  std::vector<MessageLink> links = extract_links(message, psl);
  std::string words = normalise_for_rules(blank_out_links(message, links));

  collect_phrase_hits(words, has_unknown_link(links), &result.hits);
  collect_link_hits(links, words, psl, &result.hits);
  std::stable_sort(result.hits.begin(), result.hits.end(),
                   [](const RuleHit& a, const RuleHit& b) { return a.weight > b.weight; });

  int total = 0;
  for (const RuleHit& hit : result.hits)
    total += hit.weight;
  result.score = std::min(total, 100);

  const char* tail = kSafeAdviceTail;
  if (result.score >= kScamThreshold) {
    result.verdict = SCAM_VERDICT;
    result.headline = kScamHeadline;
    tail = kScamAdviceTail;
  } else if (result.score >= kCautionThreshold) {
    result.verdict = CAUTION_VERDICT;
    result.headline = kCautionHeadline;
    tail = kCautionAdviceTail;
  } else {
    result.verdict = SAFE_VERDICT;
    result.headline = kSafeHeadline;
  }
  for (size_t i = 0; i < result.hits.size() && i < kMaxShownReasons; ++i) {
    result.reasons.push_back(result.hits[i].reason);
  }
  result.advice = result.hits.empty() ? std::string(tail) : result.hits[0].advice + " " + tail;
  return result;
}

bool assessment_has_rule(const ScamAssessment& assessment, const char* id) {
  for (const RuleHit& hit : assessment.hits) {
    if (hit.id == id) return true;
  }
  return false;
}
