// Speed of the message judge behind check_scam, on one thread: messages per
// second over the whole labelled corpus, and the median and p99 time to judge
// a 6,000-byte message (a few fraud letters and genuine emails). Prints
// figures only; nothing here passes or fails on time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "judge/engine_test_support.h"
#include "judge/scam_engine.h"
#include "tests/bench/bench_stats.h"

namespace {

const size_t kLongBytes = 6000;
const size_t kLongPerLabel = 3;
const int kCorpusRounds = 20;
const int kLongRounds = 1000;

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

// Keeps every judgement observable, so none is optimised away.
long g_score_sum = 0;

// Starts with one message and adds the next ones of the same label, a blank
// line apart, until it is 6,000 bytes; cut on a character boundary.
std::string long_message(const std::vector<LabelledMessage>& corpus, size_t first) {
  std::string text = corpus[first].text;
  for (size_t i = first + 1; text.size() < kLongBytes; i = (i + 1) % corpus.size()) {
    if (corpus[i].is_scam == corpus[first].is_scam) text += "\n\n" + corpus[i].text;
  }
  size_t cut = kLongBytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
    --cut;
  return text.substr(0, cut);
}

// The longest messages of each label start the long ones, so each is led by
// a real long email or letter.
std::vector<std::string> long_messages(const std::vector<LabelledMessage>& corpus) {
  std::vector<std::string> longs;
  for (bool scam : {true, false}) {
    std::vector<size_t> order;
    for (size_t i = 0; i < corpus.size(); ++i)
      if (corpus[i].is_scam == scam) order.push_back(i);
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return corpus[a].text.size() > corpus[b].text.size(); });
    for (size_t k = 0; k < kLongPerLabel && k < order.size(); ++k)
      longs.push_back(long_message(corpus, order[k]));
  }
  return longs;
}

double nearest_rank(const std::vector<double>& sorted, double fraction) {
  size_t rank = static_cast<size_t>(fraction * sorted.size() + 0.999999);
  return sorted[rank == 0 ? 0 : rank - 1];
}

void bench_corpus(const std::vector<LabelledMessage>& corpus) {
  const PublicSuffixList& psl = test_suffix_list();
  for (const LabelledMessage& m : corpus) // warm-up: the rule book is built once
    g_score_sum += assess_message(m.text, psl).score;
  Clock::time_point start = Clock::now();
  for (int round = 0; round < kCorpusRounds; ++round) {
    for (const LabelledMessage& m : corpus)
      g_score_sum += assess_message(m.text, psl).score;
  }
  double seconds = microseconds(Clock::now() - start) / 1e6;
  double judged = static_cast<double>(corpus.size()) * kCorpusRounds;
  std::printf("Whole corpus: %zu messages x %d rounds in %.2f s: %.0f messages/s (mean %.1f us)\n",
              corpus.size(), kCorpusRounds, seconds, ratio_or_zero(judged, seconds),
              ratio_or_zero(seconds * 1e6, judged));
}

void bench_long(const std::vector<std::string>& longs) {
  const PublicSuffixList& psl = test_suffix_list();
  std::vector<double> all;
  for (size_t k = 0; k < longs.size(); ++k) {
    std::vector<double> samples;
    ScamAssessment result = assess_message(longs[k], psl);
    for (int round = 0; round < kLongRounds; ++round) {
      Clock::time_point start = Clock::now();
      g_score_sum += assess_message(longs[k], psl).score;
      samples.push_back(microseconds(Clock::now() - start));
    }
    all.insert(all.end(), samples.begin(), samples.end());
    SampleSummary summary = summarize_samples(samples.data(), samples.size());
    std::printf("  %s %zu bytes (%s %d): median %.1f us, p99 %.1f us\n",
                k < kLongPerLabel ? "fraud  " : "genuine", longs[k].size(), result.verdict.c_str(),
                result.score, summary.median, nearest_rank(samples, 0.99));
  }
  SampleSummary summary = summarize_samples(all.data(), all.size());
  std::printf("6,000-byte messages, %zu judgements: median %.1f us, p99 %.1f us, max %.1f us "
              "(goal: p99 under 200 us)\n",
              all.size(), summary.median, nearest_rank(all, 0.99), summary.max);
}

} // namespace

int main() {
  std::vector<LabelledMessage> corpus = load_labelled_corpus(LS_CORPUS_DIR "/scam_corpus.tsv");
  std::vector<LabelledMessage> held =
      load_labelled_corpus(LS_CORPUS_DIR "/scam_corpus_heldback.tsv");
  corpus.insert(corpus.end(), held.begin(), held.end());
  if (corpus.empty()) {
    std::printf("no corpus found in %s\n", LS_CORPUS_DIR);
    return 2;
  }
  std::printf("Message judge, one thread\n");
  bench_corpus(corpus);
  bench_long(long_messages(corpus));
  std::printf("(scores summed: %ld)\n", g_score_sum);
  return 0;
}
