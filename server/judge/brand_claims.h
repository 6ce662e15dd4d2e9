#pragma once
// Whether a message speaks as a brand or only mentions it. "It says it is
// from Royal Mail" is true of "Royal Mail: your parcel ...", "This is Amazon
// Customer Services" or a sign-off "Lloyds Bank Security Team"; a news story
// or a bank's letter that names Royal Mail in passing claims nothing.
#include <cstdint>
#include <string>
#include <vector>

#include "judge/rule_book.h"

// True when the mention words[start, start + length) is made in the brand's
// own voice: at the start of the message, on a short line of its own near
// its start or end (a header or sign-off), after "this is", "on behalf of" or "dear", or
// before "team", "security", "support", "customer", "account" or a colon.
bool speaks_as_brand_at(const std::string& words, uint32_t start, uint32_t length);

// Per brand of brand_table: whether the message speaks as it (unquoted).
std::vector<bool> brands_claimed(const RuleBook& book, const MessageScan& scan,
                                 const std::string& words);
