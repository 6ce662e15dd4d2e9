#pragma once
// A family's reason says what fired: where its usual wording would claim
// something the message does not hold ("a number in the message" with no
// number in it, "a job" in a letter that offers none), a plainer one is given.
#include <cstdint>

#include "judge/family_rules.h"

// `groups` are the groups found (bit i is group i); `has_phone` whether the
// message holds a telephone number outside quotes.
const char* family_reason(const FamilyRule& rule, uint32_t groups, bool has_phone);
