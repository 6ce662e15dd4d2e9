#pragma once
// The UK brands that scam messages pretend to be, with the domains each
// really uses, so links can be judged against the name a message claims.
#include <string>

struct Brand {
  const char* name;               // as shown in reasons: "Royal Mail"
  const char* const* official;    // the host equals one of these or ends in "." + one
  const char* const* name_parts;  // found anywhere in a domain label ("royalmail")
  const char* const* short_names; // count only as a whole part of a label ("dpd")
  const char* const* mentions;    // phrases by which a message claims to be the brand
};

const Brand* brand_table(size_t* count);

bool host_is_official_for(const Brand& brand, const std::string& host);
bool host_is_official_for_any_brand(const std::string& host);

// How a host borrows a brand's name without belonging to it.
enum BrandImitation { kNoImitation = 0, kUsesBrandName = 1, kMisspellsBrandName = 2 };

// `owner_part` is the host without its public suffix; the host itself is
// used to rule out the brand's own domains.
BrandImitation host_imitates_brand(const std::string& host, const std::string& owner_part,
                                   const Brand** brand);

// One insertion, deletion, substitution or swap of neighbours apart.
bool one_edit_apart(const std::string& a, const std::string& b);

// Digits and letter pairs that pass for letters at a glance: "paypa1",
// "amaz0n", "rnonzo".
std::string undo_lookalike_letters(const std::string& label);
