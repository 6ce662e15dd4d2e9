// Measures the rules against the labelled corpus and prints the figures. The
// tuning part is what the rules were written against; the held-back part was
// written first and never tuned on, so its figures say how the rules do on
// messages they have not seen. Only the hard floor fails a test: no genuine
// message may be judged SCAM.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "judge/engine_test_support.h"
#include "judge/scam_engine.h"

namespace {

const char* const kFamilies[] = {"advance-fee",
                                 "lottery",
                                 "get-rich",
                                 "fake-invoice",
                                 "romance-sextortion",
                                 "investment",
                                 "job-mule",
                                 "arrest-courier-rental-pension",
                                 nullptr};
const double kFamilyRecallGoal = 0.95;
const double kGenuineCautionGoal = 0.03;
// Genuine notices name money, a number and urgency and ask for nothing: none may be
// judged SCAM and at most this share CAUTION.
const double kNoticeCautionGoal = 0.02;
// Over the scams of every part: flagged at all, and judged SCAM.
const double kAllScamsFlaggedGoal = 0.95;
const double kAllScamsScamGoal = 0.75;

struct Tally {
  int flagged = 0; // SCAM or CAUTION
  int total = 0;
};

struct CorpusFigures {
  int scams = 0;
  int genuine = 0;
  int counts[2][3] = {{0, 0, 0}, {0, 0, 0}}; // [actual scam?][SCAM, CAUTION, SAFE]
  std::map<std::string, Tally> families;
  std::vector<std::string> misjudged;
};

double ratio(int part, int whole) { return whole == 0 ? 0.0 : static_cast<double>(part) / whole; }

// The start of a message on one line, never cut inside a character.
std::string clipped(const std::string& text) {
  size_t cut = text.size() > 110 ? 110 : text.size();
  while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
    --cut;
  std::string flat = text.substr(0, cut);
  for (char& c : flat)
    if (c == '\n') c = ' ';
  return cut < text.size() ? flat + "..." : flat;
}

CorpusFigures judge_corpus(const std::vector<LabelledMessage>& corpus) {
  CorpusFigures figures;
  for (const LabelledMessage& m : corpus) {
    ScamAssessment result = assess_message(m.text, test_suffix_list());
    int column = result.verdict == SCAM_VERDICT ? 0 : result.verdict == CAUTION_VERDICT ? 1 : 2;
    ++figures.counts[m.is_scam ? 1 : 0][column];
    (m.is_scam ? figures.scams : figures.genuine) += 1;
    if (m.is_scam) {
      Tally& tally = figures.families[m.group];
      ++tally.total;
      tally.flagged += column != 2 ? 1 : 0;
    }
    bool wrong = m.is_scam ? column == 2 : column != 2;
    if (!wrong) continue;
    std::string rules;
    for (const RuleHit& hit : result.hits)
      rules += hit.id + ":" + std::to_string(hit.weight) + " ";
    figures.misjudged.push_back((m.is_scam ? "missed " : "flagged ") + m.group + " " +
                                result.verdict + " " + std::to_string(result.score) + " [" + rules +
                                "] " + clipped(m.text));
  }
  return figures;
}

double flagged_recall(const CorpusFigures& f) {
  return ratio(f.counts[1][0] + f.counts[1][1], f.scams);
}
double genuine_scam_rate(const CorpusFigures& f) { return ratio(f.counts[0][0], f.genuine); }
double genuine_caution_rate(const CorpusFigures& f) { return ratio(f.counts[0][1], f.genuine); }

void print_figures(const char* title, const CorpusFigures& f) {
  std::printf("%s: %d messages (%d scam, %d genuine)\n", title, f.scams + f.genuine, f.scams,
              f.genuine);
  std::printf("                 SCAM  CAUTION  SAFE\n");
  std::printf("  actual scam    %4d  %7d  %4d\n", f.counts[1][0], f.counts[1][1], f.counts[1][2]);
  std::printf("  actual genuine %4d  %7d  %4d\n", f.counts[0][0], f.counts[0][1], f.counts[0][2]);
  std::printf("SCAM-or-CAUTION recall by family (goal %.2f):\n", kFamilyRecallGoal);
  for (const auto& entry : f.families) {
    double recall = ratio(entry.second.flagged, entry.second.total);
    std::printf("  %-30s %3d/%3d  %.3f%s\n", entry.first.c_str(), entry.second.flagged,
                entry.second.total, recall, recall < kFamilyRecallGoal ? "  below goal" : "");
  }
  std::printf("All scams: recall %.3f; verdict SCAM %.3f\n", flagged_recall(f),
              ratio(f.counts[1][0], f.scams));
  std::printf("Genuine judged SCAM %.3f (hard floor 0), CAUTION %.3f (goal at most %.2f)%s\n",
              genuine_scam_rate(f), genuine_caution_rate(f), kGenuineCautionGoal,
              genuine_caution_rate(f) > kGenuineCautionGoal ? "  above goal" : "");
  for (const std::string& line : f.misjudged)
    std::printf("  %s\n", line.c_str());
}

std::vector<LabelledMessage> tuning_part() {
  return load_labelled_corpus(LS_CORPUS_DIR "/scam_corpus.tsv");
}

TEST(ScamCorpus, TuningPartKeepsTheHardFloorAndPrintsTheGoals) {
  std::vector<LabelledMessage> corpus = tuning_part();
  ASSERT_GE(corpus.size(), 400u);
  CorpusFigures figures = judge_corpus(corpus);
  for (const char* const* family = kFamilies; *family; ++family)
    EXPECT_GE(figures.families[*family].total, 20) << *family;
  EXPECT_GE(figures.genuine * 5, figures.scams * 4) << "about half the corpus is genuine";

  print_figures("Tuning part", figures);
  EXPECT_EQ(figures.counts[0][0], 0) << "a genuine message was judged SCAM";
}

// Not run while rules are tuned (--gtest_filter=-ScamCorpusHeldBack.*).
TEST(ScamCorpusHeldBack, HeldBackPartKeepsTheHardFloorAndIsComparedWithTuning) {
  std::vector<LabelledMessage> corpus =
      load_labelled_corpus(LS_CORPUS_DIR "/scam_corpus_heldback.tsv");
  ASSERT_GE(corpus.size(), 100u);
  CorpusFigures held = judge_corpus(corpus);
  ASSERT_GT(held.scams, 0);
  ASSERT_GT(held.genuine, 0);
  CorpusFigures tuned = judge_corpus(tuning_part());

  print_figures("Held-back part", held);
  std::printf("Held-back minus tuning, in points: recall %+.1f, genuine CAUTION %+.1f, genuine "
              "SCAM %+.1f (goal: within 2)\n",
              100 * (flagged_recall(held) - flagged_recall(tuned)),
              100 * (genuine_caution_rate(held) - genuine_caution_rate(tuned)),
              100 * (genuine_scam_rate(held) - genuine_scam_rate(tuned)));
  EXPECT_EQ(held.counts[0][0], 0) << "a genuine message was judged SCAM";
}

// The second held-back part: long genuine UK texts and long scams, written
// before the rules were tuned for precision. Not run while tuning either.
TEST(ScamCorpusHeldBack, LongUkTextsKeepTheHardFloorAndPrintTheGoals) {
  std::vector<LabelledMessage> corpus =
      load_labelled_corpus(LS_CORPUS_DIR "/scam_corpus_heldback_uk.tsv");
  ASSERT_GE(corpus.size(), 160u);
  CorpusFigures held = judge_corpus(corpus);
  ASSERT_GE(held.genuine, 100);
  ASSERT_GE(held.scams, 60);

  print_figures("Second held-back part (long UK texts)", held);
  EXPECT_EQ(held.counts[0][0], 0) << "a genuine message was judged SCAM";
}

// Both halves of the notices. The tuning half must meet the CAUTION goal; the held-back half,
// like the other held-back parts, fails only on the hard floor and prints how near the goal
// it is (it must never be tuned on).
CorpusFigures judge_notices(const char* title, const char* file) {
  std::vector<LabelledMessage> notices =
      load_labelled_corpus(std::string(LS_CORPUS_DIR "/") + file);
  EXPECT_GE(notices.size(), 50u);
  CorpusFigures figures = judge_corpus(notices);
  EXPECT_EQ(figures.scams, 0) << "the notices are all genuine";
  print_figures(title, figures);
  std::printf("Notices judged CAUTION %.3f (goal at most %.2f)%s\n", genuine_caution_rate(figures),
              kNoticeCautionGoal,
              genuine_caution_rate(figures) > kNoticeCautionGoal ? "  above goal" : "");
  EXPECT_EQ(figures.counts[0][0], 0) << "a genuine notice was judged SCAM";
  return figures;
}

TEST(ScamCorpus, GenuineNoticesAreNeverScamAndRarelyCaution) {
  CorpusFigures figures = judge_notices("Genuine notices (tuning half)", "scam_corpus_notices.tsv");
  EXPECT_LE(genuine_caution_rate(figures), kNoticeCautionGoal);
}

// Not run while tuning either.
TEST(ScamCorpusHeldBack, HeldBackGenuineNoticesAreNeverScam) {
  judge_notices("Genuine notices (held-back half)", "scam_corpus_notices_heldback.tsv");
}

TEST(ScamCorpusHeldBack, ScamsOfEveryPartAreFlaggedAndMostlyJudgedScam) {
  CorpusFigures all;
  for (const char* part :
       {"scam_corpus.tsv", "scam_corpus_heldback.tsv", "scam_corpus_heldback_uk.tsv"}) {
    CorpusFigures figures =
        judge_corpus(load_labelled_corpus(std::string(LS_CORPUS_DIR "/") + part));
    all.scams += figures.scams;
    for (int column = 0; column < 3; ++column)
      all.counts[1][column] += figures.counts[1][column];
  }
  ASSERT_GE(all.scams, 300);
  std::printf("Scams of every part: %d, flagged %.3f (goal %.2f), judged SCAM %.3f (goal %.2f)\n",
              all.scams, flagged_recall(all), kAllScamsFlaggedGoal,
              ratio(all.counts[1][0], all.scams), kAllScamsScamGoal);
  EXPECT_GE(flagged_recall(all), kAllScamsFlaggedGoal);
  EXPECT_GE(ratio(all.counts[1][0], all.scams), kAllScamsScamGoal);
}

} // namespace
