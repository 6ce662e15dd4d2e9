#include "judge/number_cues.h"

#include <cstring>

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool starts_with_at(const std::string& text, size_t pos, const char* bytes) {
  size_t len = std::strlen(bytes);
  return pos + len <= text.size() && text.compare(pos, len, bytes) == 0;
}

// Currency signs, and codes that count only as a word of their own.
const char* const kCurrencySigns[] = {"\xC2\xA3", "$", "\xE2\x82\xAC", nullptr};
const char* const kCurrencyCodes[] = {"usd", "gbp", "eur", nullptr};
// Words after a number that make it money or multiply it.
const char* const kCurrencyAfter[] = {" pounds", " dollars", " euros", " usd", " gbp", nullptr};
const char* const kMillionWords[] = {" million", " billion", "million", "billion", nullptr};
// "£9.2m", "$1bn": only after a currency sign, since "5m" alone may be metres.
const char* const kMillionLetters[] = {"m", "bn", nullptr};

size_t matched_prefix(const std::string& text, size_t pos, const char* const* list) {
  for (const char* const* item = list; *item; ++item) {
    if (starts_with_at(text, pos, *item)) return std::strlen(*item);
  }
  return 0;
}

struct Number {
  size_t end;
  double value;
};

// Digits with thousands commas and an optional decimal part.
Number read_number(const std::string& text, size_t pos) {
  double value = 0;
  size_t i = pos;
  while (i < text.size()) {
    if (is_digit(text[i])) {
      if (value < 1e15) value = value * 10 + (text[i] - '0');
      ++i;
    } else if (text[i] == ',' && i + 1 < text.size() && is_digit(text[i + 1])) {
      ++i;
    } else {
      break;
    }
  }
  if (i + 1 < text.size() && text[i] == '.' && is_digit(text[i + 1])) {
    double scale = 0.1;
    ++i;
    while (i < text.size() && is_digit(text[i])) {
      value += scale * (text[i] - '0');
      scale /= 10;
      ++i;
    }
  }
  return Number{i, value};
}

bool is_letter(char c) { return c >= 'a' && c <= 'z'; }

bool at_end_or_blank(const std::string& text, size_t pos) {
  return pos >= text.size() || !(is_letter(text[pos]) || is_digit(text[pos]));
}

bool millions_after(const std::string& text, size_t pos, bool money) {
  if (matched_prefix(text, pos, kMillionWords)) return true;
  if (!money) return false;
  size_t letters = matched_prefix(text, pos, kMillionLetters);
  return letters && at_end_or_blank(text, pos + letters);
}

void add(std::vector<NumberCueMark>* marks, NumberCue cue, size_t start) {
  marks->push_back(NumberCueMark{cue, static_cast<uint32_t>(start)});
}

// A run of digits with single blanks or hyphens between groups.
size_t phone_digits(const std::string& text, size_t pos, size_t* end) {
  size_t digits = 0;
  size_t i = pos;
  while (i < text.size()) {
    if (is_digit(text[i])) {
      ++digits;
      ++i;
    } else if ((text[i] == ' ' || text[i] == '-') && i + 1 < text.size() && is_digit(text[i + 1])) {
      ++i;
    } else {
      break;
    }
  }
  *end = i;
  return digits;
}

// Judges the number starting at `pos`; returns where scanning goes on.
size_t judge_number(const std::string& text, size_t pos, bool money_sign, size_t cue_start,
                    std::vector<NumberCueMark>* marks) {
  if (!money_sign && (text[pos] == '0' || (pos > 0 && text[pos - 1] == '+'))) {
    size_t end = pos;
    if (phone_digits(text, pos, &end) >= 10) {
      add(marks, kCuePhone, cue_start);
      return end;
    }
  }
  Number number = read_number(text, pos);
  size_t after = number.end;
  bool money = money_sign || matched_prefix(text, after, kCurrencyAfter);
  bool million = millions_after(text, after, money);
  if (money) {
    add(marks, kCueAmount, cue_start);
    if (number.value >= 100000 || million) add(marks, kCueLargeSum, cue_start);
  } else if (million) {
    add(marks, kCueLargeSum, cue_start);
  }
  if (after < text.size() &&
      (text[after] == '%' || starts_with_at(text, after, " %") ||
       starts_with_at(text, after, " per cent") || starts_with_at(text, after, " percent"))) {
    add(marks, kCuePercent, cue_start);
  }
  if (after + 1 < text.size() && text[after] == '/' && is_digit(text[after + 1])) {
    Number second = read_number(text, after + 1);
    if (number.value + second.value == 100 && at_end_or_blank(text, second.end))
      add(marks, kCueSplit, cue_start);
    return second.end;
  }
  return after;
}

} // namespace

void scan_number_cues(const std::string& words, std::vector<NumberCueMark>* marks) {
  size_t i = 0;
  while (i < words.size()) {
    char c = words[i];
    // Only these bytes can start a currency sign, and a code starts a word.
    size_t sign = 0;
    if (c == '\xC2' || c == '$' || c == '\xE2') {
      sign = matched_prefix(words, i, kCurrencySigns);
    } else if ((c == 'u' || c == 'g' || c == 'e') && (i == 0 || !is_letter(words[i - 1]))) {
      sign = matched_prefix(words, i, kCurrencyCodes);
    }
    if (sign) {
      size_t digits = i + sign;
      if (digits < words.size() && words[digits] == ' ') ++digits;
      if (digits < words.size() && is_digit(words[digits])) {
        i = judge_number(words, digits, true, i, marks);
        continue;
      }
      i += sign;
      continue;
    }
    bool number_starts = is_digit(words[i]) && (i == 0 || !is_digit(words[i - 1])) &&
                         (i == 0 || words[i - 1] != '.');
    if (number_starts) {
      i = judge_number(words, i, false, i, marks);
      continue;
    }
    ++i;
  }
}

const char* number_cue_name(NumberCue cue) {
  static const char* const kNames[kNumberCueCount] = {"<amount>", "<large sum>", "<percent>",
                                                      "<split>", "<phone number>"};
  return kNames[cue];
}
