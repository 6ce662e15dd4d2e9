// Speed of the message judge behind check_scam, on one thread: messages per
// second over the whole labelled corpus, the median and p99 time to judge
// a 6,000-byte message (a few fraud letters and genuine emails), and the time
// to judge 64 KiB bodies of pathological shapes (long dotted hosts, many
// links, many @ signs, long runs of one character), which must stay within
// 50 ms. Prints figures only; nothing here passes or fails on time.
// scripts/bench builds it twice, with this judge and the one of an earlier
// build, and runs the two in turn: so it uses only what both judges have.
// `--summary` prints one line for that comparison instead:
//   long MEDIAN_US P99_US worst-shape MAX_MS
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

struct LongFigures {
  double median;
  double p99;
};

LongFigures bench_long(const std::vector<std::string>& longs, bool print) {
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
    if (print)
      std::printf("  %s %zu bytes (%s %d): median %.1f us, p99 %.1f us\n",
                  k < kLongPerLabel ? "fraud  " : "genuine", longs[k].size(),
                  result.verdict.c_str(), result.score, summary.median,
                  nearest_rank(samples, 0.99));
  }
  SampleSummary summary = summarize_samples(all.data(), all.size());
  if (print)
    std::printf("6,000-byte messages, %zu judgements: median %.1f us, p99 %.1f us, max %.1f us "
                "(goal: p99 under 200 us)\n",
                all.size(), summary.median, nearest_rank(all, 0.99), summary.max);
  return LongFigures{summary.median, nearest_rank(all, 0.99)};
}

// A body of `bytes` made of `unit` again and again; `numbered` puts a counter in each so
// that no two are alike ("a1.co a2.co ...").
std::string repeated(const std::string& unit, size_t bytes, bool numbered) {
  std::string text;
  for (size_t i = 0; text.size() < bytes; ++i)
    text += numbered ? "a" + std::to_string(i) + unit : unit;
  text.resize(bytes);
  return text;
}

struct Shape {
  const char* name;
  std::string text;
};

// What an attacker may send in one check_scam: the program and the service take 64 KiB.
std::vector<Shape> pathological_shapes() {
  const size_t kBody = 64 * 1024;
  std::string dotted;
  for (int label = 0; label < 32000; ++label)
    dotted += "a.";
  dotted += "com";
  return {
      {"one host of 32,000 labels (a.a.a...com)", dotted},
      {"the same host as a link (https://a.a...com/)", "https://" + dotted + "/"},
      {"many links to one host", repeated("https://a.co/x ", kBody, false)},
      {"many links to different hosts", repeated(".example.co.uk/x ", kBody, true)},
      {"many bare domains", repeated(".top ", kBody, true)},
      {"many @ signs", std::string(kBody, '@')},
      {"a link behind many @ signs", "https://" + repeated("a@", kBody - 20, false) + "b.co/"},
      {"many email addresses", repeated("@x.co ", kBody, true)},
      {"one letter", std::string(kBody, 'a')},
      {"dots", std::string(kBody, '.')},
      {"digits", std::string(kBody, '7')},
      {"pound signs", repeated("\xC2\xA3", kBody, false)},
      {"quotes", std::string(kBody, '"')},
      {"one phrase again and again", repeated("send the code ", kBody, false)},
  };
}

double bench_shapes(bool print) {
  const PublicSuffixList& psl = test_suffix_list();
  const int kShapeRounds = 3;
  double worst = 0;
  if (print) std::printf("64 KiB bodies of pathological shapes (goal: each within 50 ms):\n");
  for (const Shape& shape : pathological_shapes()) {
    std::vector<double> samples;
    for (int round = 0; round < kShapeRounds; ++round) {
      Clock::time_point start = Clock::now();
      g_score_sum += assess_message(shape.text, psl).score;
      samples.push_back(microseconds(Clock::now() - start) / 1000);
    }
    SampleSummary summary = summarize_samples(samples.data(), samples.size());
    worst = summary.max > worst ? summary.max : worst;
    if (print)
      std::printf("  %-46s median %8.2f ms, max %8.2f ms\n", shape.name, summary.median,
                  summary.max);
  }
  return worst;
}

} // namespace

int main(int argc, char** argv) {
  const bool summary = argc > 1 && std::string(argv[1]) == "--summary";
  std::vector<LabelledMessage> corpus = load_labelled_corpus(LS_CORPUS_DIR "/scam_corpus.tsv");
  std::vector<LabelledMessage> held =
      load_labelled_corpus(LS_CORPUS_DIR "/scam_corpus_heldback.tsv");
  corpus.insert(corpus.end(), held.begin(), held.end());
  if (corpus.empty()) {
    std::printf("no corpus found in %s\n", LS_CORPUS_DIR);
    return 2;
  }
  if (summary) {
    assess_message("warm up", test_suffix_list()); // the rule book is built once
    LongFigures figures = bench_long(long_messages(corpus), false);
    double worst = bench_shapes(false);
    std::printf("long %.1f %.1f worst-shape %.2f\n", figures.median, figures.p99, worst);
    return g_score_sum == -1 ? 1 : 0;
  }
  std::printf("Message judge, one thread\n");
  bench_corpus(corpus);
  bench_long(long_messages(corpus), true);
  bench_shapes(true);
  std::printf("(scores summed: %ld)\n", g_score_sum);
  return 0;
}
