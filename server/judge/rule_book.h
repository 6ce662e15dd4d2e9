#pragma once
// Every phrase of every rule (phrase rules, fraud families, talk about
// scams) in one index, built once, and the scan of a message against it.
#include <cstdint>
#include <string>
#include <vector>

#include "judge/family_rules.h"
#include "judge/phrase_index.h"
#include "judge/phrase_rules.h"
#include "judge/text_context.h"

// One cue found in a message: a phrase or a number cue.
struct CueSeen {
  uint32_t cue; // phrase number, or phrase count + NumberCue
  uint32_t start;
  bool negated;
  bool quoted;
  uint8_t voice; // SentenceVoice of its sentence
};

struct CueList {
  std::vector<uint32_t> cues;
};

struct GroupRef {
  uint16_t family;
  uint16_t group;
};

struct RuleBook {
  PhraseIndex index;
  uint32_t cue_count;                  // phrases, then the number cues
  std::vector<CueList> phrase_any_of;  // per phrase rule
  std::vector<CueList> phrase_with_of; // per phrase rule; empty when it has none
  std::vector<std::vector<GroupRef>> groups_of_cue;
  std::vector<CueList> brand_mentions; // per brand of brand_table
  std::vector<int16_t> brand_of_cue;   // per cue: the brand it names, or -1
  CueList scam_naming;
  CueList scam_talk;
};

const RuleBook& rule_book();

struct MessageScan {
  std::vector<CueSeen> seen; // in order of start
  // Per cue: found at all, found unquoted, and found unquoted and not negated.
  std::vector<uint8_t> anywhere;
  std::vector<uint8_t> unquoted;
  std::vector<uint8_t> plain;
  // Per cue: found plain in a sentence that speaks to the reader or of the writer.
  std::vector<uint8_t> spoken;
  TextContext context; // negation, quotes and voice, per byte
};

MessageScan scan_message(const RuleBook& book, const std::string& words);

// True when one cue of the list was found; `honour_negation` counts only
// occurrences without a negation before them.
bool list_seen(const MessageScan& scan, const CueList& list, bool honour_negation);

// True when one cue of the list was found plain outside third-person narrative.
bool list_spoken(const MessageScan& scan, const CueList& list);
