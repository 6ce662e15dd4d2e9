#pragma once
// The wording rules: each one a UK scam pattern with its weight, the reason
// shown to the user and the advice for it.
#include <cstddef>

struct PhraseRule {
  const char* id;
  int weight;
  const char* const* any_of;      // one of these must be present
  const char* const* with_any_of; // and, when not null, one of these too
  bool honour_negation;           // "we will never ask for ..." does not count
  bool needs_unknown_link;        // counts only beside a link to a site no brand owns
  bool needs_contact;             // only where the message gives a number or email address
  const char* reason;
  const char* advice;
};

const PhraseRule* phrase_rule_table(size_t* count);
