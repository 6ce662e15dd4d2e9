#pragma once
// Cues that are numbers rather than words, found in one pass over a
// normalised message: sums of money (and whether they are large), shares
// ("30%", "60/40") and telephone numbers.
#include <cstdint>
#include <string>
#include <vector>

enum NumberCue {
  kCueAmount = 0,   // "£1.99", "$349.99", "25 pounds"
  kCueLargeSum = 1, // at least 100,000 in any currency, or "£9.2m", "$25 million"
  kCuePercent = 2,  // "30%", "25 per cent"
  kCueSplit = 3,    // "60/40", "50/50": two parts that make a hundred
  kCuePhone = 4,    // ten or more digits in a row, as a phone number is written
  kNumberCueCount = 5
};

struct NumberCueMark {
  NumberCue cue;
  uint32_t start;
};

void scan_number_cues(const std::string& words, std::vector<NumberCueMark>* marks);

// How rule tables name these cues among their phrases.
const char* number_cue_name(NumberCue cue);
