#pragma once
// Shared by the engine tests and the judge benchmark: the real suffix list,
// loaded once, and the labelled corpus files.
#include <string>
#include <vector>

#include "judge/public_suffix.h"

const PublicSuffixList& test_suffix_list();

struct LabelledMessage {
  bool is_scam;
  std::string group; // a scam's family or a genuine message's kind
  std::string text;
};

// Lines are label<TAB>family or kind<TAB>message; '#' starts a comment and
// "\n" in a message is a line break. Lines of any other shape are skipped.
std::vector<LabelledMessage> load_labelled_corpus(const std::string& path);
