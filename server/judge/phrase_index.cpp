#include "judge/phrase_index.h"

#include <deque>

namespace {

bool is_ascii_word_byte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

void assign_byte_classes(PhraseIndex* index) {
  for (unsigned char& c : index->byte_class)
    c = 0;
  uint32_t count = 1;
  for (const std::string& phrase : index->phrases) {
    for (char c : phrase) {
      unsigned char b = static_cast<unsigned char>(c);
      if (index->byte_class[b] == 0) index->byte_class[b] = static_cast<uint8_t>(count++);
    }
  }
  index->class_count = count;
}

uint16_t add_state(PhraseIndex* index) {
  index->next.resize(index->next.size() + index->class_count, 0);
  index->phrase_ending.push_back(-1);
  index->shorter_match.push_back(0);
  return static_cast<uint16_t>(index->phrase_ending.size() - 1);
}

// False when the phrase would take the automaton past its size.
bool add_to_trie(PhraseIndex* index, uint32_t number) {
  const std::string& phrase = index->phrases[number];
  if (index->phrase_ending.size() + phrase.size() > kMaxPhraseStates + 1) return false;
  uint32_t state = 0;
  for (char c : phrase) {
    size_t slot = state * index->class_count + index->byte_class[static_cast<unsigned char>(c)];
    if (index->next[slot] == 0) {
      uint16_t created = add_state(index);
      index->next[slot] = created;
    }
    state = index->next[slot];
  }
  index->phrase_ending[state] = static_cast<int32_t>(number);
  return true;
}

// Numbers the trie's states breadth first. A text spends most of its bytes in
// the few states near the root, and this keeps their rows together in cache.
void renumber_breadth_first(PhraseIndex* index) {
  const uint32_t classes = index->class_count;
  const size_t states = index->phrase_ending.size();
  std::vector<uint16_t> order;
  std::vector<uint16_t> number(states, 0);
  order.reserve(states);
  order.push_back(0);
  for (size_t k = 0; k < order.size(); ++k) {
    for (uint32_t c = 0; c < classes; ++c) {
      uint16_t child = index->next[order[k] * classes + c];
      if (child == 0) continue;
      number[child] = static_cast<uint16_t>(order.size());
      order.push_back(child);
    }
  }
  std::vector<uint16_t> next(index->next.size(), 0);
  std::vector<int32_t> ending(states, -1);
  for (size_t k = 0; k < order.size(); ++k) {
    ending[k] = index->phrase_ending[order[k]];
    for (uint32_t c = 0; c < classes; ++c)
      next[k * classes + c] = number[index->next[order[k] * classes + c]];
  }
  index->next.swap(next);
  index->phrase_ending.swap(ending);
}

// Breadth first, so a state's fallback is complete before its children use it.
void add_fallbacks(PhraseIndex* index) {
  const uint32_t classes = index->class_count;
  std::vector<uint16_t> fallback(index->phrase_ending.size(), 0);
  std::deque<uint32_t> queue;
  for (uint32_t c = 0; c < classes; ++c) {
    if (index->next[c] != 0) queue.push_back(index->next[c]);
  }
  while (!queue.empty()) {
    uint32_t state = queue.front();
    queue.pop_front();
    for (uint32_t c = 0; c < classes; ++c) {
      uint16_t& slot = index->next[state * classes + c];
      uint16_t via_fallback = index->next[fallback[state] * classes + c];
      if (slot == 0) {
        slot = via_fallback;
        continue;
      }
      fallback[slot] = via_fallback;
      index->shorter_match[slot] = index->phrase_ending[via_fallback] >= 0
                                       ? via_fallback
                                       : index->shorter_match[via_fallback];
      queue.push_back(slot);
    }
  }
}

bool on_word_boundaries(const std::string& text, const std::string& phrase, size_t start) {
  size_t end = start + phrase.size();
  if (is_ascii_word_byte(static_cast<unsigned char>(phrase.front())) && start > 0 &&
      is_word_byte(static_cast<unsigned char>(text[start - 1])))
    return false;
  if (!is_ascii_word_byte(static_cast<unsigned char>(phrase.back())) || end >= text.size())
    return true;
  if (is_word_byte(static_cast<unsigned char>(text[end]))) return false;
  // A contraction goes on with the word: "you won" is not in "you won't".
  return !(text[end] == '\'' && end + 1 < text.size() &&
           is_ascii_word_byte(static_cast<unsigned char>(text[end + 1])));
}

} // namespace

uint32_t phrase_index_add(PhraseIndex* index, const std::string& phrase) {
  auto found = index->numbers.find(phrase);
  if (found != index->numbers.end()) return found->second;
  uint32_t number = static_cast<uint32_t>(index->phrases.size());
  index->phrases.push_back(phrase);
  index->numbers.emplace(phrase, number);
  return number;
}

void phrase_index_build(PhraseIndex* index) {
  assign_byte_classes(index);
  index->next.clear();
  index->phrase_ending.clear();
  index->shorter_match.clear();
  add_state(index);
  index->complete = true;
  for (uint32_t number = 0; number < index->phrases.size(); ++number) {
    if (!index->phrases[number].empty() && !add_to_trie(index, number)) index->complete = false;
  }
  renumber_breadth_first(index);
  add_fallbacks(index);
  index->first_match.resize(index->phrase_ending.size());
  for (size_t state = 0; state < index->phrase_ending.size(); ++state)
    index->first_match[state] = index->phrase_ending[state] >= 0 ? static_cast<uint16_t>(state)
                                                                 : index->shorter_match[state];
}

void phrase_index_scan(const PhraseIndex& index, const std::string& text,
                       std::vector<PhraseMatch>* matches) {
  if (index.phrase_ending.empty()) return;
  const uint16_t* next = index.next.data();
  const uint16_t* first_match = index.first_match.data();
  const size_t classes = index.class_count;
  uint32_t state = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    state = next[state * classes + index.byte_class[static_cast<unsigned char>(text[i])]];
    uint32_t found = first_match[state];
    while (found != 0) {
      uint32_t number = static_cast<uint32_t>(index.phrase_ending[found]);
      const std::string& phrase = index.phrases[number];
      size_t start = i + 1 - phrase.size();
      if (on_word_boundaries(text, phrase, start))
        matches->push_back(PhraseMatch{number, static_cast<uint32_t>(start)});
      found = index.shorter_match[found];
    }
  }
}
