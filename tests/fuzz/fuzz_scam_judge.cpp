// Feeds arbitrary text to the message judge behind check_scam, as it is and
// repeated to 64 KiB (the longest text the service could be sent, many times
// over), and checks what every answer must hold: a score from 0 to 100 that
// agrees with the verdict, at most four reasons that are the strongest hits'
// reasons, hits strongest first, and advice. A crash, a sanitizer report or a
// slow input (quadratic work on long text) fails the run.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "judge/scam_engine.h"

namespace {

const size_t kRepeatedBytes = 65536;

void require(bool condition) {
  if (!condition) abort();
}

const PublicSuffixList& suffixes() {
  static PublicSuffixList list;
  static int loaded = psl_load_file(&list, PUBLIC_SUFFIX_DEFAULT_FILE);
  (void)loaded;
  return list;
}

void check_assessment(const std::string& text) {
  ScamAssessment result = assess_message(text, suffixes());
  require(result.score >= 0 && result.score <= 100);
  const char* verdict = result.score >= kScamThreshold      ? SCAM_VERDICT
                        : result.score >= kCautionThreshold ? CAUTION_VERDICT
                                                            : SAFE_VERDICT;
  require(result.verdict == verdict);
  require(!result.headline.empty() && !result.advice.empty());
  size_t shown = result.hits.size() < kMaxShownReasons ? result.hits.size() : kMaxShownReasons;
  require(result.reasons.size() == shown);
  for (size_t i = 0; i < shown; ++i)
    require(result.reasons[i] == result.hits[i].reason);
  for (size_t i = 0; i < result.hits.size(); ++i) {
    require(result.hits[i].weight > 0 && !result.hits[i].reason.empty());
    if (i > 0) require(result.hits[i - 1].weight >= result.hits[i].weight);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  check_assessment(text);
  if (size == 0 || size >= kRepeatedBytes) return 0;
  std::string repeated;
  repeated.reserve(kRepeatedBytes + size);
  while (repeated.size() < kRepeatedBytes)
    repeated += text;
  repeated.resize(kRepeatedBytes);
  check_assessment(repeated);
  return 0;
}
