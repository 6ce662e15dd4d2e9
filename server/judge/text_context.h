#pragma once
// What surrounds each place in a normalised message, worked out in one pass:
// whether a negation ("never", "do not", ...) comes shortly before it in the
// same sentence, and whether it is quoted. A phrase in either place is the
// message talking about something, not asking for it: "we will never ask for
// your PIN", or a newsletter quoting a scam's words.
#include <cstdint>
#include <string>
#include <vector>

struct TextContext {
  // Per byte: where the latest negation word of the sentence so far starts,
  // or -1. One more entry than the text has bytes.
  std::vector<int32_t> negation_start;
  // Per byte: 1 inside double quotes on one line, or on a line that starts
  // with '>' (the quoted part of an email reply).
  std::vector<uint8_t> quoted;
  // Per sentence with a word in it, in order: the byte that ends it (its
  // break, or the text's size), its voice (SentenceVoice), and how many
  // sentences up to and including it speak to the reader.
  std::vector<uint32_t> sentence_ends;
  std::vector<uint8_t> sentence_voices;
  std::vector<uint32_t> addressed_so_far;
};

// Who a sentence speaks to. A scam speaks to the reader and asks them to act;
// a news report, a speech or a story tells of others in the third person.
enum SentenceVoice : uint8_t {
  kNarrative = 0,   // neither of the others: third person, reported
  kFirstPerson = 1, // the writer of themselves ("I", "we", "my", "our")
  kAddressed = 2,   // speaks to the reader ("you", "your") or asks them to act
};

// The voice of one sentence, from its words (normalised text): addressed when
// it has a second-person word, starts with a request ("call", "reply",
// "please", ...) or says "please" or "kindly" anywhere.
SentenceVoice sentence_voice(const std::string& sentence);

TextContext read_text_context(const std::string& words);

// True when a negation starts in the same sentence, at most this many bytes
// before `start`.
const uint32_t kNegationReach = 60;
bool negated_at(const TextContext& context, uint32_t start);

bool quoted_at(const TextContext& context, uint32_t start);

SentenceVoice voice_at(const TextContext& context, uint32_t start);

// True when at least a third of the sentences from `first` to `last` (byte
// offsets, first <= last) speak to the reader: a message, not a story or a
// speech that turns to "you" now and then.
bool speaks_to_reader_between(const TextContext& context, uint32_t first, uint32_t last);
