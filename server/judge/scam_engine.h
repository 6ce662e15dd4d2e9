#pragma once
// Judges one message: every rule that matches adds its weight, and the total
// (capped at 100) decides the verdict. Nothing here is hidden: the strongest
// reasons are what the user is shown.
#include <string>
#include <vector>

#include "judge/public_suffix.h"
#include "judge/rule_hit.h"
#include "judge/threat_lookup.h"

#define SCAM_VERDICT "SCAM"
#define CAUTION_VERDICT "CAUTION"
#define SAFE_VERDICT "SAFE"

const int kScamThreshold = 60;
const int kCautionThreshold = 25;
const size_t kMaxShownReasons = 4;

struct ScamAssessment {
  int score;           // 0 to 100
  std::string verdict; // SCAM, CAUTION or SAFE
  std::string headline;
  std::vector<std::string> reasons; // the strongest few, strongest first
  std::string advice;
  std::vector<RuleHit> hits; // every rule that matched, strongest first
};

// `threats`, when given, is asked about every link (threat_lookup.h).
ScamAssessment assess_message(const std::string& message, const PublicSuffixList& psl,
                              const ThreatLookup* threats = nullptr);

bool assessment_has_rule(const ScamAssessment& assessment, const char* id);
