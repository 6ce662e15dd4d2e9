#include "judge/text_scan.h"

#include <cstring>

namespace {

bool is_word_byte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80;
}

bool starts_with_at(const std::string& text, size_t pos, const char* bytes) {
  size_t len = std::strlen(bytes);
  return pos + len <= text.size() && text.compare(pos, len, bytes) == 0;
}

// Typographic characters that messages use in place of plain ones.
struct Replacement {
  const char* from;
  char to;
};
const Replacement kReplacements[] = {
    {"\xE2\x80\x98", '\''}, {"\xE2\x80\x99", '\''}, {"\xE2\x80\x9C", '"'}, {"\xE2\x80\x9D", '"'},
    {"\xE2\x80\x93", '-'},  {"\xE2\x80\x94", '-'},  {"\xC2\xA0", ' '},
};

bool is_sentence_break(const std::string& text, size_t pos) {
  char c = text[pos];
  if (c == '!' || c == '?' || c == '\n' || c == ';') return true;
  return c == '.' && (pos + 1 >= text.size() || text[pos + 1] == ' ');
}

bool word_at(const std::string& text, size_t pos, const char* word) {
  size_t len = std::strlen(word);
  if (!starts_with_at(text, pos, word)) return false;
  if (pos > 0 && is_word_byte(static_cast<unsigned char>(text[pos - 1]))) return false;
  size_t end = pos + len;
  return end >= text.size() || !is_word_byte(static_cast<unsigned char>(text[end]));
}

const char* const kNegations[] = {"never",  "not",    "don't",  "dont",  "won't", "wont",
                                  "no one", "nobody", "cannot", "can't", "nor",   nullptr};

// Looks back at most this far, and never past the start of the sentence.
const size_t kNegationWindow = 60;

bool negated_before(const std::string& text, size_t pos) {
  size_t start = pos > kNegationWindow ? pos - kNegationWindow : 0;
  for (size_t i = pos; i > start; --i) {
    if (is_sentence_break(text, i - 1)) {
      start = i;
      break;
    }
  }
  for (size_t i = start; i < pos; ++i) {
    for (const char* const* word = kNegations; *word; ++word) {
      if (word_at(text, i, *word)) return true;
    }
  }
  return false;
}

} // namespace

std::string normalise_for_rules(const std::string& raw) {
  std::string out;
  out.reserve(raw.size());
  size_t i = 0;
  while (i < raw.size()) {
    char c = raw[i];
    char mapped = 0;
    size_t used = 1;
    // Every replacement starts with one of these two bytes.
    if (c == '\xE2' || c == '\xC2') {
      for (const Replacement& r : kReplacements) {
        if (starts_with_at(raw, i, r.from)) {
          mapped = r.to;
          used = std::strlen(r.from);
          break;
        }
      }
    }
    if (!mapped) {
      if (c == '\r' || c == '\n') {
        mapped = '\n';
      } else if (c == '\t' || c == '\v' || c == '\f') {
        mapped = ' ';
      } else if (c >= 'A' && c <= 'Z') {
        mapped = static_cast<char>(c - 'A' + 'a');
      } else {
        mapped = c;
      }
    }
    i += used;
    if (mapped == ' ' || mapped == '\n') {
      if (!out.empty() && (out.back() == ' ' || out.back() == '\n')) {
        if (mapped == '\n') out.back() = '\n';
        continue;
      }
    }
    out.push_back(mapped);
  }
  return out;
}

bool phrase_present(const std::string& text, const char* phrase, bool honour_negation) {
  size_t len = std::strlen(phrase);
  if (len == 0) return false;
  bool check_start = is_word_byte(static_cast<unsigned char>(phrase[0]));
  bool check_end = is_word_byte(static_cast<unsigned char>(phrase[len - 1]));
  size_t pos = text.find(phrase);
  while (pos != std::string::npos) {
    bool start_ok =
        !check_start || pos == 0 || !is_word_byte(static_cast<unsigned char>(text[pos - 1]));
    size_t end = pos + len;
    bool end_ok =
        !check_end || end >= text.size() || !is_word_byte(static_cast<unsigned char>(text[end]));
    if (start_ok && end_ok && !(honour_negation && negated_before(text, pos))) return true;
    pos = text.find(phrase, pos + 1);
  }
  return false;
}

bool any_phrase_present(const std::string& text, const char* const* phrases, bool honour_negation) {
  if (!phrases) return false;
  for (const char* const* p = phrases; *p; ++p) {
    if (phrase_present(text, *p, honour_negation)) return true;
  }
  return false;
}
