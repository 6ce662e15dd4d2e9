#include "judge/family_match.h"

namespace {

struct GroupEvent {
  uint32_t start;
  uint16_t group;
};

// Slides a window over the family's cues in order, counting each group's
// cues inside it; linear in the number of cues.
int best_window_weight(const FamilyRule& rule, const std::vector<GroupEvent>& events) {
  int inside[kMaxCueGroups] = {};
  uint32_t found = 0;
  int best = 0;
  size_t left = 0;
  for (const GroupEvent& event : events) {
    while (event.start - events[left].start > kFamilyWindow) {
      const uint16_t leaving = events[left].group;
      if (--inside[leaving] == 0) found &= ~(1u << leaving);
      ++left;
    }
    if (inside[event.group]++ == 0) found |= 1u << event.group;
    int weight = family_weight(rule, found);
    if (weight > best) best = weight;
  }
  return best;
}

} // namespace

std::vector<int> family_weights(const RuleBook& book, const MessageScan& scan) {
  size_t count = 0;
  const FamilyRule* const* families = family_rule_table(&count);
  std::vector<std::vector<GroupEvent>> events(count);
  for (const CueSeen& seen : scan.seen) {
    if (seen.quoted) continue;
    for (const GroupRef& ref : book.groups_of_cue[seen.cue]) {
      if (seen.negated && families[ref.family]->groups[ref.group].honour_negation) continue;
      events[ref.family].push_back(GroupEvent{seen.start, ref.group});
    }
  }
  std::vector<int> weights(count, 0);
  for (size_t f = 0; f < count; ++f)
    weights[f] = best_window_weight(*families[f], events[f]);
  return weights;
}
