#include "judge/brand_claims.h"

#include <cstring>

#include "judge/brand_domains.h"

namespace {

// A line this short that names a brand is a header or a sign-off, when it is
// among the message's first or last few lines (within these many bytes).
const uint32_t kShortLine = 48;
const uint32_t kHeaderReach = 120;
const uint32_t kSignOffReach = 160;
// The first line counts as the sender's only when the mention is this close
// to the start: "Royal Mail: ...", "Subject: HMRC notice".
const uint32_t kOpeningReach = 16;

const char* const kBefore[] = {"this is ", "on behalf of ", "dear ", nullptr};
const char* const kAfter[] = {" team",     " security", " support", " customer", " account",
                              " helpdesk", " member",   ":",        " notice",   nullptr};

bool ends_with_at(const std::string& text, uint32_t end, const char* word) {
  size_t len = std::strlen(word);
  return end >= len && text.compare(end - len, len, word) == 0 &&
         (end == len || !is_word_byte(static_cast<unsigned char>(text[end - len - 1])));
}

bool starts_with_at(const std::string& text, uint32_t start, const char* word) {
  return text.compare(start, std::strlen(word), word) == 0;
}

// Looks at most kShortLine bytes each way, so each mention costs a constant.
// A short line in the middle of a long text (a verse, a quotation's source)
// is neither header nor sign-off.
bool on_short_line(const std::string& words, uint32_t start, uint32_t end) {
  uint32_t left = start;
  while (left > 0 && words[left - 1] != '\n') {
    if (start - left > kShortLine) return false;
    --left;
  }
  uint32_t right = end;
  while (right < words.size() && words[right] != '\n') {
    if (right - left > kShortLine) return false;
    ++right;
  }
  if (right - left > kShortLine) return false;
  return left <= kHeaderReach || right + kSignOffReach >= words.size();
}

} // namespace

bool speaks_as_brand_at(const std::string& words, uint32_t start, uint32_t length) {
  const uint32_t end = start + length;
  if (end > words.size()) return false;
  if (start <= kOpeningReach && words.find('\n') >= start) return true;
  if (on_short_line(words, start, end)) return true;
  for (const char* const* before = kBefore; *before; ++before) {
    if (ends_with_at(words, start, *before)) return true;
  }
  for (const char* const* after = kAfter; *after; ++after) {
    if (starts_with_at(words, end, *after)) return true;
  }
  return false;
}

std::vector<bool> brands_claimed(const RuleBook& book, const MessageScan& scan,
                                 const std::string& words) {
  std::vector<bool> claimed(book.brand_mentions.size(), false);
  for (const CueSeen& seen : scan.seen) {
    if (seen.quoted || seen.cue >= book.brand_of_cue.size()) continue;
    int brand = book.brand_of_cue[seen.cue];
    if (brand < 0 || claimed[brand]) continue;
    uint32_t length = static_cast<uint32_t>(book.index.phrases[seen.cue].size());
    claimed[brand] = speaks_as_brand_at(words, seen.start, length);
  }
  return claimed;
}
