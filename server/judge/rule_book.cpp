#include "judge/rule_book.h"

#include <algorithm>

#include "judge/brand_domains.h"
#include "judge/number_cues.h"
#include "judge/scam_talk.h"
#include "judge/text_context.h"

namespace {

bool is_number_cue(const char* phrase, uint32_t* which) {
  for (uint32_t c = 0; c < kNumberCueCount; ++c) {
    if (std::string(phrase) == number_cue_name(static_cast<NumberCue>(c))) {
      *which = c;
      return true;
    }
  }
  return false;
}

void add_phrases(PhraseIndex* index, const char* const* phrases) {
  uint32_t which = 0;
  for (const char* const* p = phrases; p && *p; ++p) {
    if (!is_number_cue(*p, &which)) phrase_index_add(index, *p);
  }
}

CueList compile(const RuleBook& book, const char* const* phrases) {
  CueList list;
  uint32_t which = 0;
  for (const char* const* p = phrases; p && *p; ++p) {
    if (is_number_cue(*p, &which)) {
      list.cues.push_back(static_cast<uint32_t>(book.index.phrases.size()) + which);
    } else {
      list.cues.push_back(book.index.numbers.at(*p));
    }
  }
  return list;
}

RuleBook build_rule_book() {
  RuleBook book;
  size_t phrase_rules = 0;
  const PhraseRule* rules = phrase_rule_table(&phrase_rules);
  size_t families = 0;
  const FamilyRule* const* family = family_rule_table(&families);

  for (size_t i = 0; i < phrase_rules; ++i) {
    add_phrases(&book.index, rules[i].any_of);
    add_phrases(&book.index, rules[i].with_any_of);
  }
  for (size_t f = 0; f < families; ++f) {
    for (size_t g = 0; g < family[f]->group_count; ++g)
      add_phrases(&book.index, family[f]->groups[g].cues);
  }
  size_t brands = 0;
  const Brand* brand = brand_table(&brands);
  for (size_t b = 0; b < brands; ++b)
    add_phrases(&book.index, brand[b].mentions);
  add_phrases(&book.index, scam_naming_phrases());
  add_phrases(&book.index, scam_talk_phrases());
  phrase_index_build(&book.index);
  book.cue_count = static_cast<uint32_t>(book.index.phrases.size()) + kNumberCueCount;

  for (size_t i = 0; i < phrase_rules; ++i) {
    book.phrase_any_of.push_back(compile(book, rules[i].any_of));
    book.phrase_with_of.push_back(compile(book, rules[i].with_any_of));
  }
  book.groups_of_cue.resize(book.cue_count);
  for (size_t f = 0; f < families; ++f) {
    for (size_t g = 0; g < family[f]->group_count; ++g) {
      for (uint32_t cue : compile(book, family[f]->groups[g].cues).cues)
        book.groups_of_cue[cue].push_back(
            GroupRef{static_cast<uint16_t>(f), static_cast<uint16_t>(g)});
    }
  }
  book.brand_of_cue.assign(book.cue_count, -1);
  for (size_t b = 0; b < brands; ++b) {
    book.brand_mentions.push_back(compile(book, brand[b].mentions));
    for (uint32_t cue : book.brand_mentions.back().cues) {
      if (book.brand_of_cue[cue] < 0) book.brand_of_cue[cue] = static_cast<int16_t>(b);
    }
  }
  book.scam_naming = compile(book, scam_naming_phrases());
  book.scam_talk = compile(book, scam_talk_phrases());
  return book;
}

} // namespace

const RuleBook& rule_book() {
  static const RuleBook book = build_rule_book();
  return book;
}

MessageScan scan_message(const RuleBook& book, const std::string& words) {
  MessageScan scan;
  scan.context = read_text_context(words);
  const TextContext& context = scan.context;
  std::vector<PhraseMatch> matches;
  phrase_index_scan(book.index, words, &matches);
  std::vector<NumberCueMark> marks;
  scan_number_cues(words, &marks);

  scan.seen.reserve(matches.size() + marks.size());
  for (const PhraseMatch& m : matches)
    scan.seen.push_back(CueSeen{m.phrase, m.start, negated_at(context, m.start),
                                quoted_at(context, m.start), voice_at(context, m.start)});
  const uint32_t first_number_cue = static_cast<uint32_t>(book.index.phrases.size());
  for (const NumberCueMark& m : marks)
    scan.seen.push_back(CueSeen{first_number_cue + m.cue, m.start, negated_at(context, m.start),
                                quoted_at(context, m.start), voice_at(context, m.start)});
  std::stable_sort(scan.seen.begin(), scan.seen.end(),
                   [](const CueSeen& a, const CueSeen& b) { return a.start < b.start; });

  scan.anywhere.assign(book.cue_count, 0);
  scan.unquoted.assign(book.cue_count, 0);
  scan.plain.assign(book.cue_count, 0);
  scan.spoken.assign(book.cue_count, 0);
  for (const CueSeen& seen : scan.seen) {
    scan.anywhere[seen.cue] = 1;
    if (seen.quoted) continue;
    scan.unquoted[seen.cue] = 1;
    if (seen.negated) continue;
    scan.plain[seen.cue] = 1;
    if (seen.voice != kNarrative) scan.spoken[seen.cue] = 1;
  }
  return scan;
}

bool list_seen(const MessageScan& scan, const CueList& list, bool honour_negation) {
  const std::vector<uint8_t>& found = honour_negation ? scan.plain : scan.unquoted;
  for (uint32_t cue : list.cues) {
    if (found[cue]) return true;
  }
  return false;
}

bool list_spoken(const MessageScan& scan, const CueList& list) {
  for (uint32_t cue : list.cues) {
    if (scan.spoken[cue]) return true;
  }
  return false;
}
