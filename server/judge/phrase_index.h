#pragma once
// Finds every rule phrase in one pass over a text: an automaton built once
// from all the phrases (Aho-Corasick), so judging a message takes time in
// proportion to its length, however many phrases the rules hold.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct PhraseMatch {
  uint32_t phrase; // the number phrase_index_add gave it
  uint32_t start;  // byte offset in the text
};

struct PhraseIndex {
  std::vector<std::string> phrases;
  std::unordered_map<std::string, uint32_t> numbers;
  // The automaton, filled by phrase_index_build. Bytes that occur in no
  // phrase share class 0; `next` has one row of classes per state.
  // States are 16-bit so that the table stays small enough for the cache.
  uint8_t byte_class[256] = {};
  uint32_t class_count = 0;
  std::vector<uint16_t> next;
  std::vector<int32_t> phrase_ending;  // the phrase that ends at a state, or -1
  std::vector<uint16_t> shorter_match; // nearest state on the suffix chain that ends a phrase
  std::vector<uint16_t> first_match;   // the state itself if it ends a phrase, else shorter_match
  bool complete = false;               // false when the phrases needed too many states
};

const size_t kMaxPhraseStates = 65535;

// Adds a phrase before the build; the same text always gets the same number.
uint32_t phrase_index_add(PhraseIndex* index, const std::string& phrase);

// Phrases that would need more than kMaxPhraseStates states are left out, and
// `complete` says whether any were.
void phrase_index_build(PhraseIndex* index);

// Appends every occurrence, in order of where it ends. A phrase that starts
// (ends) with a letter or digit counts only where it does not continue a word.
void phrase_index_scan(const PhraseIndex& index, const std::string& text,
                       std::vector<PhraseMatch>* matches);

// Letters, digits and every byte of a non-ASCII character.
inline bool is_word_byte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80;
}
