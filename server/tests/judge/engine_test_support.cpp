#include "judge/engine_test_support.h"

#include <fstream>

const PublicSuffixList& test_suffix_list() {
  static PublicSuffixList list;
  static int loaded = psl_load_file(&list, PUBLIC_SUFFIX_DEFAULT_FILE);
  (void)loaded;
  return list;
}

namespace {

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

} // namespace

std::vector<LabelledMessage> load_labelled_corpus(const std::string& path) {
  std::vector<LabelledMessage> corpus;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    size_t first = line.find('\t');
    size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos) continue;
    std::string label = line.substr(0, first);
    if (label != "scam" && label != "genuine") continue;
    corpus.push_back(LabelledMessage{label == "scam", line.substr(first + 1, second - first - 1),
                                     unescape_line_breaks(line.substr(second + 1))});
  }
  return corpus;
}
