#pragma once
// Fraud families: each is known by several kinds of cue together, not by one
// phrase. An advance-fee letter names a large sum, a dead stranger with no
// next of kin, a share for you and a plea for secrecy; any one of those alone
// is ordinary. A family counts the distinct cue groups found close together
// in the message, and each group found adds its weight.
#include <cstddef>
#include <cstdint>

struct CueGroup {
  int weight;
  // Phrases as in the phrase rules, or number cues by name ("<large sum>").
  const char* const* cues;
  // False for groups whose cues are negations themselves ("do not tell").
  bool honour_negation;
};

const size_t kMaxCueGroups = 8;

struct FamilyRule {
  const char* id;
  const CueGroup* groups;
  size_t group_count;    // at most kMaxCueGroups
  uint32_t required_all; // groups (bit i is group i) that must all be found
  uint32_t required_any; // and, when not 0, at least one of these
  int min_groups;        // distinct groups needed
  int cap;               // the most the family adds
  // Recovery offers speak of scams themselves, so a message that talks
  // about scams is not softened for them.
  bool speaks_of_scams;
  const char* reason;
  const char* advice;
  // And, when not 0, at least one of these groups as well.
  uint32_t also_any;
  // The family wants you to reach the sender, so it fires only when the message gives a way
  // to: a telephone number or an email address. "Call the number on the back of your card"
  // sends you to your bank, not to whoever wrote.
  bool needs_contact;
};

// Cues of one family count together only within this many bytes, so that a
// long message does not combine cues from unrelated parts.
const uint32_t kFamilyWindow = 2000;

const FamilyRule* const* family_rule_table(size_t* count);

// The weight a family earns from the groups found together (bit i is group
// i); 0 when the family's conditions are not met (needs_contact is the caller's).
int family_weight(const FamilyRule& rule, uint32_t groups_found);

// The same, where it matters who the cues speak to: a family fires only when
// at least one of its groups is found in a sentence that speaks to the reader
// (`addressed`), and a group found only in the writer's own sentences
// (`first_person`) counts half, one found only in narrative a quarter. A
// report of a fraud tells of cues; a fraud asks the reader for something.
int family_weight_in_voice(const FamilyRule& rule, uint32_t groups_found, uint32_t addressed,
                           uint32_t first_person);
