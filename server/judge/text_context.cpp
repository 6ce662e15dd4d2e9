#include "judge/text_context.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "judge/phrase_index.h"

namespace {

// Warnings work like negations: "beware of anyone offering a pension
// review" offers nothing.
constexpr const char* kNegations[] = {
    "never",     "not",       "don't",      "dont",        "won't",  "wont", "no one",
    "nobody",    "cannot",    "can't",      "nor",         "beware", "wary", "careful",
    "watch out", "if anyone", "if someone", "if somebody", nullptr};

// Words that make a sentence speak to the reader, or of the writer.
constexpr const char* kSecondPerson[] = {"you",        "your",   "yours",  "yourself",
                                         "yourselves", "you'll", "you're", "you've",
                                         "you'd",      "youre",  nullptr};
constexpr const char* kFirstPersonWords[] = {
    "i",     "i'm",   "i've",  "i'll", "i'd", "me",  "my",   "mine",      "myself", "we",
    "we're", "we've", "we'll", "we'd", "us",  "our", "ours", "ourselves", nullptr};
// A sentence that starts with one of these asks the reader to act.
constexpr const char* kRequestVerbs[] = {
    "call",    "ring",     "phone",   "reply",   "respond", "send",     "pay",      "click",
    "tap",     "visit",    "contact", "email",   "e-mail",  "text",     "message",  "transfer",
    "install", "download", "confirm", "verify",  "update",  "claim",    "apply",    "register",
    "join",    "invest",   "buy",     "forward", "provide", "enter",    "log",      "sign",
    "fill",    "quote",    "dial",    "press",   "hurry",   "whatsapp", "withdraw", "deposit",
    "wire",    "submit",   "kindly",  "please",  "don't",   "dont",     "do",       "tell",
    "subject", "quit",     "earn",    "act",     "book",    "order",    "dm",       nullptr};
constexpr const char* kPoliteAsks[] = {"please", "kindly", nullptr};

// A quotation longer than this is more likely two stray quote marks.
const size_t kLongestQuote = 300;

bool is_sentence_break(const std::string& text, size_t pos) {
  char c = text[pos];
  if (c == '!' || c == '?' || c == '\n' || c == ';') return true;
  return c == '.' && (pos + 1 >= text.size() || text[pos + 1] == ' ');
}

struct FirstBytes {
  bool has[256];
};

constexpr FirstBytes first_bytes_of(const char* const* words) {
  FirstBytes set{};
  for (const char* const* word = words; *word; ++word)
    set.has[static_cast<unsigned char>((*word)[0])] = true;
  return set;
}

// Most words cannot be a negation; their first byte says so at once.
constexpr FirstBytes kNegationStarts = first_bytes_of(kNegations);

// Compares byte by byte, so a word that differs early costs next to nothing.
bool word_is(const std::string& text, size_t pos, const char* word) {
  size_t k = 0;
  for (; word[k]; ++k) {
    if (pos + k >= text.size() || text[pos + k] != word[k]) return false;
  }
  return pos + k >= text.size() || !is_word_byte(static_cast<unsigned char>(text[pos + k]));
}

bool negation_word_at(const std::string& text, size_t pos) {
  if (!kNegationStarts.has[static_cast<unsigned char>(text[pos])]) return false;
  for (const char* const* word = kNegations; *word; ++word) {
    if (word_is(text, pos, *word)) return true;
  }
  return false;
}

constexpr FirstBytes first_bytes_of_all(std::initializer_list<const char* const*> lists) {
  FirstBytes set{};
  for (const char* const* list : lists)
    for (const char* const* word = list; *word; ++word)
      set.has[static_cast<unsigned char>((*word)[0])] = true;
  return set;
}

// Any word may hold a person; only a clause's first word may be a request.
constexpr FirstBytes kPersonStarts =
    first_bytes_of_all({kSecondPerson, kPoliteAsks, kFirstPersonWords});
constexpr FirstBytes kRequestStarts = first_bytes_of(kRequestVerbs);

bool word_in(const std::string& text, size_t pos, const char* const* words) {
  for (const char* const* word = words; *word; ++word) {
    if (text[pos] == (*word)[0] && word_is(text, pos, *word)) return true;
  }
  return false;
}

// Reads the voice of one sentence a word at a time.
struct VoiceReader {
  size_t begin = 0; // where the sentence starts
  bool first_word = true;
  bool addressed = false;
  bool first_person = false;

  void word_at(const std::string& text, size_t i) {
    if (addressed) return;
    // A request can open a clause too: "Limited spaces, sign up today".
    bool opening = first_word || (i >= begin + 2 && (text[i - 2] == ':' || text[i - 2] == ','));
    first_word = false;
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (opening && kRequestStarts.has[c] && word_in(text, i, kRequestVerbs)) {
      addressed = true;
    } else if (kPersonStarts.has[c]) {
      addressed = word_in(text, i, kSecondPerson) || word_in(text, i, kPoliteAsks);
      first_person = first_person || (!addressed && word_in(text, i, kFirstPersonWords));
    }
  }

  // `end` is the sentence's break, or the text's size. A question asks.
  SentenceVoice voice(const std::string& text, size_t end) const {
    if (addressed || (end < text.size() && text[end] == '?')) return kAddressed;
    return first_person ? kFirstPerson : kNarrative;
  }

  void next_sentence(size_t start) { *this = VoiceReader{start}; }
};

bool word_starts_at(const std::string& text, size_t i) {
  return is_word_byte(static_cast<unsigned char>(text[i])) &&
         (i == 0 || !is_word_byte(static_cast<unsigned char>(text[i - 1])));
}

void close_sentence(const std::string& text, size_t end, const VoiceReader& reader,
                    TextContext* context) {
  if (end - reader.begin <= 1) return; // no room for a word
  SentenceVoice voice = reader.voice(text, end);
  uint32_t addressed = context->addressed_so_far.empty() ? 0 : context->addressed_so_far.back();
  context->sentence_ends.push_back(static_cast<uint32_t>(end));
  context->sentence_voices.push_back(voice);
  context->addressed_so_far.push_back(addressed + (voice == kAddressed ? 1 : 0));
}

// A negation inside an "if" clause belongs to the condition, not to what
// follows: "if this was not you, call us" and "if you do not pay today your
// account will be suspended" both still ask and threaten. The clause ends at
// its comma. The same pass reads each sentence's voice.
void mark_sentences(const std::string& text, TextContext* context) {
  context->negation_start.assign(text.size() + 1, -1);
  int32_t latest = -1;
  bool sentence_starts = true;
  bool conditional = false;
  bool warning_clause = false;
  VoiceReader reader;
  for (size_t i = 0; i < text.size(); ++i) {
    context->negation_start[i] = latest;
    if (word_starts_at(text, i)) {
      reader.word_at(text, i);
      if (sentence_starts) {
        conditional = word_is(text, i, "if") || word_is(text, i, "unless");
        // "If anyone offers you ..." is a warning over its clause.
        warning_clause = conditional && negation_word_at(text, i);
        if (warning_clause) conditional = false;
      }
      sentence_starts = false;
      if (!conditional && negation_word_at(text, i)) latest = static_cast<int32_t>(i);
    }
    if (text[i] == ',') {
      if (warning_clause) latest = -1;
      conditional = false;
      warning_clause = false;
    }
    if (is_sentence_break(text, i)) {
      latest = -1;
      sentence_starts = true;
      close_sentence(text, i, reader, context);
      reader.next_sentence(i + 1);
    }
  }
  close_sentence(text, text.size(), reader, context);
  context->negation_start[text.size()] = latest;
}

// Pairs the double quotes of one line in order; a pair too far apart is left
// unmarked.
void mark_quotes_in_line(const std::string& text, size_t begin, size_t end, TextContext* context) {
  size_t first = begin;
  while (first < end && text[first] == ' ')
    ++first;
  if (first < end && text[first] == '>') {
    std::memset(&context->quoted[begin], 1, end - begin);
    return;
  }
  size_t open = std::string::npos;
  for (size_t i = begin; i < end; ++i) {
    if (text[i] != '"') continue;
    if (open == std::string::npos) {
      open = i;
      continue;
    }
    if (i - open <= kLongestQuote) std::memset(&context->quoted[open], 1, i - open + 1);
    open = std::string::npos;
  }
}

} // namespace

TextContext read_text_context(const std::string& words) {
  TextContext context;
  mark_sentences(words, &context);
  context.quoted.assign(words.size() + 1, 0);
  size_t line = 0;
  while (line < words.size()) {
    size_t end = words.find('\n', line);
    if (end == std::string::npos) end = words.size();
    mark_quotes_in_line(words, line, end, &context);
    line = end + 1;
  }
  return context;
}

bool negated_at(const TextContext& context, uint32_t start) {
  if (start >= context.negation_start.size()) return false;
  int32_t negation = context.negation_start[start];
  return negation >= 0 && start - static_cast<uint32_t>(negation) <= kNegationReach;
}

bool quoted_at(const TextContext& context, uint32_t start) {
  return start < context.quoted.size() && context.quoted[start] != 0;
}

namespace {

// The number of the sentence that holds byte `at` (its end is at or after
// it); the sentence count when `at` is past the last one.
size_t sentence_of(const TextContext& context, uint32_t at) {
  return static_cast<size_t>(
      std::lower_bound(context.sentence_ends.begin(), context.sentence_ends.end(), at) -
      context.sentence_ends.begin());
}

} // namespace

SentenceVoice voice_at(const TextContext& context, uint32_t start) {
  size_t sentence = sentence_of(context, start);
  if (sentence >= context.sentence_voices.size()) return kNarrative;
  return static_cast<SentenceVoice>(context.sentence_voices[sentence]);
}

bool speaks_to_reader_between(const TextContext& context, uint32_t first, uint32_t last) {
  if (first > last) return false;
  size_t from = sentence_of(context, first);
  size_t to = sentence_of(context, last);
  if (to >= context.sentence_ends.size()) return false;
  uint32_t total = static_cast<uint32_t>(to - from + 1);
  uint32_t addressed =
      context.addressed_so_far[to] - (from > 0 ? context.addressed_so_far[from - 1] : 0);
  return addressed * 3 >= total;
}

SentenceVoice sentence_voice(const std::string& sentence) {
  VoiceReader reader;
  size_t end = 0;
  for (; end < sentence.size() && !is_sentence_break(sentence, end); ++end) {
    if (word_starts_at(sentence, end)) reader.word_at(sentence, end);
  }
  return reader.voice(sentence, end);
}
