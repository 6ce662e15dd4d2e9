#include "judge/family_match.h"

#include "judge/text_context.h"

namespace {

struct GroupEvent {
  uint32_t start;
  uint16_t group;
  uint8_t voice; // SentenceVoice
};

const int kVoices = 3;

// Per voice, the groups with a cue inside the window.
struct WindowGroups {
  int inside[kVoices][kMaxCueGroups] = {};
  uint32_t found[kVoices] = {};

  void enter(const GroupEvent& e) {
    if (inside[e.voice][e.group]++ == 0) found[e.voice] |= 1u << e.group;
  }
  void leave(const GroupEvent& e) {
    if (--inside[e.voice][e.group] == 0) found[e.voice] &= ~(1u << e.group);
  }
};

// Slides a window over the family's cues in order, counting each group's
// cues inside it by voice; linear in the number of cues.
// Where the window's sentences mostly speak to the reader, the writer's own
// sentences are part of the pitch ("our bot turns £100 into £3,000") and
// count in full; elsewhere they count a quarter. Narrative counts nothing.
FamilyMatch best_window(const FamilyRule& rule, const std::vector<GroupEvent>& events,
                        const TextContext& context) {
  WindowGroups window;
  FamilyMatch best{0, 0};
  size_t left = 0;
  for (const GroupEvent& event : events) {
    while (event.start - events[left].start > kFamilyWindow)
      window.leave(events[left++]);
    window.enter(event);
    uint32_t any = window.found[kNarrative] | window.found[kFirstPerson] | window.found[kAddressed];
    bool pitch = speaks_to_reader_between(context, events[left].start, event.start);
    int weight = pitch ? family_weight_in_voice(
                             rule, any, window.found[kAddressed] | window.found[kFirstPerson], 0)
                       : family_weight_in_voice(rule, any, window.found[kAddressed],
                                                window.found[kFirstPerson]);
    if (weight > best.weight) best = FamilyMatch{weight, any};
  }
  return best;
}

} // namespace

std::vector<FamilyMatch> family_matches(const RuleBook& book, const MessageScan& scan) {
  size_t count = 0;
  const FamilyRule* const* families = family_rule_table(&count);
  std::vector<std::vector<GroupEvent>> events(count);
  for (const CueSeen& seen : scan.seen) {
    if (seen.quoted) continue;
    for (const GroupRef& ref : book.groups_of_cue[seen.cue]) {
      if (seen.negated && families[ref.family]->groups[ref.group].honour_negation) continue;
      events[ref.family].push_back(GroupEvent{seen.start, ref.group, seen.voice});
    }
  }
  std::vector<FamilyMatch> matches(count, FamilyMatch{0, 0});
  for (size_t f = 0; f < count; ++f)
    matches[f] = best_window(*families[f], events[f], scan.context);
  return matches;
}
