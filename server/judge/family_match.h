#pragma once
// Finds, for every fraud family, the closest-packed stretch of a message
// (at most kFamilyWindow bytes) and the weight its cue groups earn there.
#include <vector>

#include "judge/rule_book.h"

struct FamilyMatch {
  int weight;      // 0 where the family does not fire
  uint32_t groups; // the groups found in its best window (bit i is group i)
};

// One entry per family of family_rule_table.
std::vector<FamilyMatch> family_matches(const RuleBook& book, const MessageScan& scan);
