#pragma once
// Finds, for every fraud family, the closest-packed stretch of a message
// (at most kFamilyWindow bytes) and the weight its cue groups earn there.
#include <vector>

#include "judge/rule_book.h"

// One entry per family of family_rule_table, 0 where it does not fire.
std::vector<int> family_weights(const RuleBook& book, const MessageScan& scan);
