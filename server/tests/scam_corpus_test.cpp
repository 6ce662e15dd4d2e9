// Measures the rules against the labelled corpus and prints the figures.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine_test_support.h"
#include "scam_engine.h"

namespace {

struct LabelledMessage {
  bool is_scam;
  std::string text;
};

std::string unescape_line_breaks(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out.push_back('\n');
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::vector<LabelledMessage> load_corpus() {
  std::vector<LabelledMessage> corpus;
  std::ifstream file(LS_TEST_DATA_DIR "/scam_corpus.tsv");
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    std::string label = line.substr(0, tab);
    if (label != "scam" && label != "genuine") continue;
    corpus.push_back(LabelledMessage{label == "scam", unescape_line_breaks(line.substr(tab + 1))});
  }
  return corpus;
}

double ratio(int part, int whole) { return whole == 0 ? 0.0 : static_cast<double>(part) / whole; }

TEST(ScamCorpus, RulesMeetPrecisionAndRecallOnLabelledMessages) {
  std::vector<LabelledMessage> corpus = load_corpus();
  int scams = 0;
  for (const LabelledMessage& m : corpus)
    scams += m.is_scam ? 1 : 0;
  int genuine = static_cast<int>(corpus.size()) - scams;
  ASSERT_GE(corpus.size(), 80u);
  ASSERT_EQ(scams, genuine);

  // counts[actual scam?][verdict: 0 SCAM, 1 CAUTION, 2 SAFE]
  int counts[2][3] = {{0, 0, 0}, {0, 0, 0}};
  std::vector<std::string> misjudged;
  for (const LabelledMessage& m : corpus) {
    ScamAssessment result = assess_message(m.text, test_suffix_list());
    int column = result.verdict == SCAM_VERDICT ? 0 : result.verdict == CAUTION_VERDICT ? 1 : 2;
    ++counts[m.is_scam ? 1 : 0][column];
    bool flagged = column != 2;
    if (flagged != m.is_scam || (!m.is_scam && column == 0)) {
      std::string rules;
      for (const RuleHit& hit : result.hits)
        rules += hit.id + " ";
      misjudged.push_back((m.is_scam ? "missed scam " : "flagged genuine ") + result.verdict + " " +
                          std::to_string(result.score) + " [" + rules + "]: " + m.text);
    }
  }

  int scam_as_scam = counts[1][0];
  int genuine_as_scam = counts[0][0];
  int scam_flagged = counts[1][0] + counts[1][1];
  int genuine_flagged = counts[0][0] + counts[0][1];
  double scam_precision = ratio(scam_as_scam, scam_as_scam + genuine_as_scam);
  double scam_recall = ratio(scam_as_scam, scams);
  double flagged_precision = ratio(scam_flagged, scam_flagged + genuine_flagged);
  double flagged_recall = ratio(scam_flagged, scams);

  std::printf("Corpus: %d messages (%d scam, %d genuine)\n", static_cast<int>(corpus.size()), scams,
              genuine);
  std::printf("                 SCAM  CAUTION  SAFE\n");
  std::printf("  actual scam    %4d  %7d  %4d\n", counts[1][0], counts[1][1], counts[1][2]);
  std::printf("  actual genuine %4d  %7d  %4d\n", counts[0][0], counts[0][1], counts[0][2]);
  std::printf("Verdict SCAM:            precision %.3f  recall %.3f\n", scam_precision,
              scam_recall);
  std::printf("SCAM or CAUTION vs SAFE: precision %.3f  recall %.3f\n", flagged_precision,
              flagged_recall);
  for (const std::string& line : misjudged)
    std::printf("  %s\n", line.c_str());

  EXPECT_GE(flagged_precision, 0.9);
  EXPECT_GE(flagged_recall, 0.9);
  EXPECT_EQ(genuine_as_scam, 0);
}

} // namespace
