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
  // Only where the message gives a way to reach its writer: a number, an email address or a
  // link to a site no brand owns. A genuine notice of a tax penalty or a card's new expiry
  // date sends you to the official site or app, or nowhere.
  bool needs_contact;
  const char* reason;
  const char* advice;
};

const PhraseRule* phrase_rule_table(size_t* count);
