#include "judge/text_context.h"

#include <cstring>

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

bool negation_word_at(const std::string& text, size_t pos) {
  if (!kNegationStarts.has[static_cast<unsigned char>(text[pos])]) return false;
  for (const char* const* word = kNegations; *word; ++word) {
    if (text[pos] != (*word)[0]) continue;
    size_t len = std::strlen(*word);
    if (text.compare(pos, len, *word) != 0) continue;
    if (pos + len < text.size() && is_word_byte(static_cast<unsigned char>(text[pos + len])))
      continue;
    return true;
  }
  return false;
}

bool word_is(const std::string& text, size_t pos, const char* word) {
  size_t len = std::strlen(word);
  return text.compare(pos, len, word) == 0 &&
         (pos + len >= text.size() || !is_word_byte(static_cast<unsigned char>(text[pos + len])));
}

constexpr FirstBytes kVoiceWordStarts = [] {
  FirstBytes set{};
  for (const char* const* list : {kSecondPerson, kFirstPersonWords, kRequestVerbs})
    for (const char* const* word = list; *word; ++word)
      set.has[static_cast<unsigned char>((*word)[0])] = true;
  return set;
}();

bool word_in(const std::string& text, size_t pos, const char* const* words) {
  for (const char* const* word = words; *word; ++word) {
    if (text[pos] == (*word)[0] && word_is(text, pos, *word)) return true;
  }
  return false;
}

// The voice of text[begin, end), one sentence: linear in its length.
SentenceVoice voice_of_span(const std::string& text, size_t begin, size_t end) {
  bool first_person = false;
  bool first_word = true;
  for (size_t i = begin; i < end; ++i) {
    if (!is_word_byte(static_cast<unsigned char>(text[i])) ||
        (i > begin && is_word_byte(static_cast<unsigned char>(text[i - 1]))))
      continue;
    // A request can open a clause too: "Limited spaces, sign up today".
    bool opening = first_word || (i >= begin + 2 && (text[i - 2] == ':' || text[i - 2] == ','));
    first_word = false;
    if (!kVoiceWordStarts.has[static_cast<unsigned char>(text[i])]) continue;
    if (word_in(text, i, kSecondPerson) || word_in(text, i, kPoliteAsks)) return kAddressed;
    if (opening && word_in(text, i, kRequestVerbs)) return kAddressed;
    first_person = first_person || word_in(text, i, kFirstPersonWords);
  }
  if (end < text.size() && text[end] == '?') return kAddressed;
  return first_person ? kFirstPerson : kNarrative;
}

void mark_voices(const std::string& text, TextContext* context) {
  context->voice.assign(text.size() + 1, kNarrative);
  context->sentences_before.assign(text.size() + 1, 0);
  context->addressed_before.assign(text.size() + 1, 0);
  uint32_t sentences = 0;
  uint32_t addressed = 0;
  size_t begin = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    context->sentences_before[i] = sentences;
    context->addressed_before[i] = addressed;
    if (i < text.size() && !is_sentence_break(text, i)) continue;
    SentenceVoice voice = voice_of_span(text, begin, i);
    if (voice != kNarrative) std::memset(&context->voice[begin], voice, i - begin + 1);
    if (i - begin > 1) ++sentences;
    if (voice == kAddressed) ++addressed;
    begin = i + 1;
  }
}

// A negation inside an "if" clause belongs to the condition, not to what
// follows: "if this was not you, call us" and "if you do not pay today your
// account will be suspended" both still ask and threaten. The clause ends at
// its comma.
void mark_negations(const std::string& text, TextContext* context) {
  context->negation_start.assign(text.size() + 1, -1);
  int32_t latest = -1;
  bool sentence_starts = true;
  bool conditional = false;
  bool warning_clause = false;
  for (size_t i = 0; i < text.size(); ++i) {
    context->negation_start[i] = latest;
    bool word_starts = is_word_byte(static_cast<unsigned char>(text[i])) &&
                       (i == 0 || !is_word_byte(static_cast<unsigned char>(text[i - 1])));
    if (word_starts) {
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
    }
  }
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
  mark_negations(words, &context);
  mark_voices(words, &context);
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

SentenceVoice voice_at(const TextContext& context, uint32_t start) {
  return start < context.voice.size() ? static_cast<SentenceVoice>(context.voice[start])
                                      : kNarrative;
}

bool speaks_to_reader_between(const TextContext& context, uint32_t first, uint32_t last) {
  if (last >= context.voice.size() || first > last) return false;
  // The sentences that ended in between, and the one that holds `last`.
  uint32_t total = context.sentences_before[last] - context.sentences_before[first] + 1;
  uint32_t addressed = context.addressed_before[last] - context.addressed_before[first] +
                       (context.voice[last] == kAddressed ? 1 : 0);
  return addressed * 3 >= total;
}

SentenceVoice sentence_voice(const std::string& sentence) {
  size_t end = 0;
  while (end < sentence.size() && !is_sentence_break(sentence, end))
    ++end;
  return voice_of_span(sentence, 0, end);
}
