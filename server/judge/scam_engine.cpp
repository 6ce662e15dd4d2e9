#include "judge/scam_engine.h"

#include <algorithm>

#include "judge/brand_claims.h"
#include "judge/family_match.h"
#include "judge/family_reasons.h"
#include "judge/length_fairness.h"
#include "judge/link_extract.h"
#include "judge/link_rules.h"
#include "judge/number_cues.h"
#include "judge/rule_book.h"
#include "judge/scam_talk.h"
#include "judge/text_scan.h"

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

// How the wording rules are weighed for this message.
struct WordingScale {
  size_t message_bytes;
  int scam_talk; // points, scam_talk.h
};

// A message that talks about scams (a news report, a bank's warning) counts
// half of each wording rule and its wording alone never reaches SCAM; one
// that is mostly about scams counts a quarter and never reaches CAUTION.
int softened(int weight, int scam_talk) {
  if (scam_talk >= kScamTalkMostly) return weight / 4;
  return scam_talk >= kScamTalkSome ? weight / 2 : weight;
}

int wording_ceiling(int scam_talk) {
  if (scam_talk >= kScamTalkMostly) return kCautionThreshold - 1;
  return scam_talk >= kScamTalkSome ? kScamThreshold - 1 : 100;
}

int scam_talk_points(const RuleBook& book, const MessageScan& scan) {
  int points = 0;
  for (uint32_t cue : book.scam_naming.cues)
    points += 2 * scan.plain[cue];
  for (uint32_t cue : book.scam_talk.cues)
    points += scan.plain[cue];
  return points;
}

void collect_phrase_hits(const RuleBook& book, const MessageScan& scan, bool unknown_link,
                         bool has_contact, const WordingScale& scale, std::vector<RuleHit>* hits) {
  size_t count = 0;
  const PhraseRule* rules = phrase_rule_table(&count);
  for (size_t i = 0; i < count; ++i) {
    const PhraseRule& rule = rules[i];
    if (rule.needs_unknown_link && !unknown_link) continue;
    if (rule.needs_contact && !has_contact) continue;
    if (!list_seen(scan, book.phrase_any_of[i], rule.honour_negation)) continue;
    if (rule.with_any_of && !list_seen(scan, book.phrase_with_of[i], rule.honour_negation))
      continue;
    int weight = softened(length_fair_weight(rule.weight, scale.message_bytes), scale.scam_talk);
    // Told of in the third person only, a rule's wording counts half.
    if (!list_spoken(scan, book.phrase_any_of[i])) weight /= 2;
    if (weight > 0) hits->push_back(RuleHit{rule.id, weight, rule.reason, rule.advice});
  }
}

// Families that speak of scams themselves go to `unsoftened`, unless the
// message is mostly about scams.
void collect_family_hits(const RuleBook& book, const MessageScan& scan, bool has_email,
                         const WordingScale& scale, std::vector<RuleHit>* hits,
                         std::vector<RuleHit>* unsoftened) {
  size_t count = 0;
  const FamilyRule* const* families = family_rule_table(&count);
  std::vector<FamilyMatch> matches = family_matches(book, scan);
  const bool has_phone = scan.unquoted[book.index.phrases.size() + kCuePhone] != 0;
  for (size_t f = 0; f < count; ++f) {
    const FamilyRule& family = *families[f];
    if (matches[f].weight == 0) continue;
    if (family.needs_contact && !has_phone && !has_email) continue;
    const char* reason = family_reason(family, matches[f].groups, has_phone);
    if (family.speaks_of_scams && scale.scam_talk < kScamTalkMostly) {
      unsoftened->push_back(RuleHit{family.id, matches[f].weight, reason, family.advice});
      continue;
    }
    int weight = softened(matches[f].weight, scale.scam_talk);
    if (weight > 0) hits->push_back(RuleHit{family.id, weight, reason, family.advice});
  }
}

int total_weight(const std::vector<RuleHit>& hits) {
  int total = 0;
  for (const RuleHit& hit : hits)
    total += hit.weight;
  return total;
}

} // namespace

ScamAssessment assess_message(const std::string& message, const PublicSuffixList& psl,
                              const ThreatLookup* threats) {
  ScamAssessment result;
  bool has_email = false;
  std::vector<MessageLink> links = extract_links(message, psl, &has_email);
  std::string words = normalise_for_rules(blank_out_links(message, links));
  const RuleBook& book = rule_book();
  MessageScan scan = scan_message(book, words);

  WordingScale scale{message.size(), scam_talk_points(book, scan)};
  std::vector<RuleHit> wording;
  std::vector<RuleHit> unsoftened;
  const bool unknown_link = has_unknown_link(links);
  const bool has_contact =
      has_email || unknown_link || scan.unquoted[book.index.phrases.size() + kCuePhone];
  collect_phrase_hits(book, scan, unknown_link, has_contact, scale, &wording);
  collect_family_hits(book, scan, has_email, scale, &wording, &unsoftened);
  collect_link_hits(links, brands_claimed(book, scan, words), psl, &unsoftened);
  if (threats) collect_listed_links(message, links, *threats, &unsoftened);
  int total =
      std::min(total_weight(wording), wording_ceiling(scale.scam_talk)) + total_weight(unsoftened);
  result.score = std::min(total, 100);

  result.hits = wording;
  result.hits.insert(result.hits.end(), unsoftened.begin(), unsoftened.end());
  std::stable_sort(result.hits.begin(), result.hits.end(),
                   [](const RuleHit& a, const RuleHit& b) { return a.weight > b.weight; });

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
