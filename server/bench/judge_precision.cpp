// Precision of the message judge on writing it was never tuned on: long
// public-domain prose (speeches, a novel, fortune files) cut into pieces of
// 300 to 6,000 bytes and judged. Prints, per source, the share judged SCAM
// and CAUTION and the worst pieces with their rules; exits 1 when a source
// is above the goals, 2 when a source could not be read.
//
// Usage: olvex_judge_precision [--keep-flagged DIR] --source NAME FILE... [--source ...]
// --keep-flagged writes every piece judged SCAM or CAUTION to DIR, to read whole.
// A line holding only "%" (the fortune files' separator) counts as a blank line.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "judge/engine_test_support.h"
#include "judge/scam_engine.h"

namespace {

const size_t kShortestPiece = 300;
const size_t kLongestPiece = 6000;
const double kScamGoal = 0.001;
const double kCautionGoal = 0.02;
const size_t kWorstShown = 8;

struct Source {
  std::string name;
  std::vector<std::string> files;
};

std::string g_keep_dir; // --keep-flagged

void keep_flagged(const std::string& source, size_t number, const std::string& piece) {
  if (g_keep_dir.empty()) return;
  std::ofstream(g_keep_dir + "/" + source + "-" + std::to_string(number) + ".txt") << piece;
}

struct Judged {
  int score;
  std::string verdict;
  std::string rules;
  std::string start;
};

// Piece lengths spread evenly over 300 to 6,000 bytes, the same every run.
size_t next_target(unsigned* state) {
  *state = *state * 1103515245u + 12345u;
  return kShortestPiece + (*state >> 8) % (kLongestPiece - kShortestPiece + 1);
}

bool continuation_byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Where to end a piece that starts at `from` and should not pass `limit`:
// at a paragraph, else a sentence, else a word, else a character boundary.
size_t cut_point(const std::string& text, size_t from, size_t limit) {
  const size_t earliest = from + kShortestPiece;
  for (const char* mark : {"\n\n", ". ", " "}) {
    size_t at = text.rfind(mark, limit - std::strlen(mark));
    if (at != std::string::npos && at >= earliest) return at + std::strlen(mark);
  }
  size_t cut = limit;
  while (cut > from && continuation_byte(text[cut]))
    --cut;
  return cut;
}

std::string with_fortune_breaks(const std::string& text) {
  std::string out;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line))
    out += (line == "%" ? std::string() : line) + "\n";
  return out;
}

void cut_into_pieces(const std::string& raw, unsigned* state, std::vector<std::string>* pieces) {
  std::string text = with_fortune_breaks(raw);
  size_t from = 0;
  while (from < text.size()) {
    size_t limit = from + next_target(state);
    size_t end = limit >= text.size() ? text.size() : cut_point(text, from, limit);
    if (end - from >= kShortestPiece) pieces->push_back(text.substr(from, end - from));
    from = end;
  }
}

bool read_file(const std::string& path, std::string* text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream all;
  all << file.rdbuf();
  *text = all.str();
  return true;
}

std::string one_line_start(const std::string& text) {
  size_t cut = std::min<size_t>(text.size(), 150);
  while (cut > 0 && cut < text.size() && continuation_byte(text[cut]))
    --cut;
  std::string flat = text.substr(0, cut);
  std::replace(flat.begin(), flat.end(), '\n', ' ');
  return flat;
}

double share(int part, size_t whole) {
  return whole == 0 ? 0.0 : static_cast<double>(part) / static_cast<double>(whole);
}

// Judges one source and prints its figures; false when above a goal.
bool judge_source(const Source& source, bool* unreadable) {
  std::vector<std::string> pieces;
  unsigned state = 2026;
  for (const std::string& path : source.files) {
    std::string text;
    if (!read_file(path, &text)) {
      std::printf("%s: cannot read %s\n", source.name.c_str(), path.c_str());
      *unreadable = true;
      return false;
    }
    cut_into_pieces(text, &state, &pieces);
  }
  if (pieces.empty()) {
    std::printf("%s: no pieces of %zu bytes or more\n", source.name.c_str(), kShortestPiece);
    *unreadable = true;
    return false;
  }
  int scam = 0;
  int caution = 0;
  size_t bytes = 0;
  std::vector<Judged> flagged;
  for (const std::string& piece : pieces) {
    bytes += piece.size();
    ScamAssessment result = assess_message(piece, test_suffix_list());
    if (result.verdict == SAFE_VERDICT && result.score == 0) continue;
    std::string rules;
    for (const RuleHit& hit : result.hits)
      rules += hit.id + ":" + std::to_string(hit.weight) + " ";
    if (result.verdict == SCAM_VERDICT) ++scam;
    if (result.verdict == CAUTION_VERDICT) ++caution;
    if (result.verdict != SAFE_VERDICT) keep_flagged(source.name, flagged.size(), piece);
    flagged.push_back(Judged{result.score, result.verdict, rules, one_line_start(piece)});
  }
  double scam_share = share(scam, pieces.size());
  double caution_share = share(caution, pieces.size());
  bool within = scam_share <= kScamGoal && caution_share <= kCautionGoal;
  std::printf("%-10s %5zu pieces (%zu KB): SCAM %d (%.2f %%), CAUTION %d (%.2f %%)  %s\n",
              source.name.c_str(), pieces.size(), bytes / 1024, scam, 100 * scam_share, caution,
              100 * caution_share, within ? "within goals" : "ABOVE GOALS");
  std::stable_sort(flagged.begin(), flagged.end(),
                   [](const Judged& a, const Judged& b) { return a.score > b.score; });
  for (size_t i = 0; i < flagged.size() && i < kWorstShown; ++i)
    std::printf("    %-7s %3d [%s] %s\n", flagged[i].verdict.c_str(), flagged[i].score,
                flagged[i].rules.c_str(), flagged[i].start.c_str());
  return within;
}

bool parse_sources(int argc, char** argv, std::vector<Source>* sources) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep-flagged") == 0) {
      if (i + 1 >= argc) return false;
      g_keep_dir = argv[++i];
    } else if (std::strcmp(argv[i], "--source") == 0) {
      if (i + 1 >= argc) return false;
      sources->push_back(Source{argv[++i], {}});
    } else if (sources->empty()) {
      return false;
    } else {
      sources->back().files.push_back(argv[i]);
    }
  }
  return !sources->empty();
}

} // namespace

int main(int argc, char** argv) {
  std::vector<Source> sources;
  if (!parse_sources(argc, argv, &sources)) {
    std::fprintf(stderr, "usage: olvex_judge_precision [--keep-flagged DIR] --source NAME "
                         "FILE... [--source ...]\n");
    return 2;
  }
  std::printf("Message judge on public-domain prose, pieces of %zu to %zu bytes (goals: SCAM at "
              "most %.1f %%, CAUTION at most %.0f %% per source)\n",
              kShortestPiece, kLongestPiece, 100 * kScamGoal, 100 * kCautionGoal);
  bool all_within = true;
  bool unreadable = false;
  for (const Source& source : sources)
    all_within = judge_source(source, &unreadable) && all_within;
  if (unreadable) return 2;
  return all_within ? 0 : 1;
}
