#include "judge/public_suffix.h"

#include <cstdio>
#include <vector>

namespace {

std::string lower_ascii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

void add_rule(PublicSuffixList* list, std::string rule) {
  rule = lower_ascii(rule);
  if (rule.empty()) return;
  size_t dot = rule.rfind('.');
  list->top_labels.insert(dot == std::string::npos ? rule : rule.substr(dot + 1));
  if (rule[0] == '!') {
    list->exceptions.insert(rule.substr(1));
  } else if (rule.size() > 2 && rule[0] == '*' && rule[1] == '.') {
    list->wildcards.insert(rule.substr(2));
  } else {
    list->rules.insert(rule);
  }
}

// Offsets of the first byte of each label; empty when a label is empty.
std::vector<size_t> label_starts(const std::string& host) {
  std::vector<size_t> starts;
  size_t start = 0;
  for (;;) {
    size_t dot = host.find('.', start);
    size_t end = dot == std::string::npos ? host.size() : dot;
    if (end == start) return std::vector<size_t>();
    starts.push_back(start);
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return starts;
}

} // namespace

void psl_parse_text(PublicSuffixList* list, const std::string& text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    if (line.compare(first, 2, "//") == 0) continue;
    size_t last = line.find_first_of(" \t\r", first);
    add_rule(list,
             line.substr(first, last == std::string::npos ? std::string::npos : last - first));
  }
}

int psl_load_file(PublicSuffixList* list, const char* path) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return 0;
  std::string text;
  char chunk[8192];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
    text.append(chunk, got);
  std::fclose(file);
  psl_parse_text(list, text);
  return list->rules.empty() ? 0 : 1;
}

std::string psl_public_suffix(const PublicSuffixList& list, const std::string& host) {
  std::vector<size_t> starts = label_starts(host);
  if (starts.empty()) return std::string();
  // An exception rule beats every other rule, so look for one first.
  for (size_t i = 0; i + 1 < starts.size(); ++i) {
    if (list.exceptions.count(host.substr(starts[i]))) return host.substr(starts[i + 1]);
  }
  for (size_t i = 0; i < starts.size(); ++i) {
    std::string candidate = host.substr(starts[i]);
    if (list.rules.count(candidate)) return candidate;
    if (i + 1 < starts.size() && list.wildcards.count(host.substr(starts[i + 1]))) return candidate;
  }
  // The implicit rule "*": an unlisted top label is a suffix by itself.
  return host.substr(starts.back());
}

std::string psl_registered_domain(const PublicSuffixList& list, const std::string& host) {
  std::string suffix = psl_public_suffix(list, host);
  if (suffix.empty() || host.size() <= suffix.size() + 1) return std::string();
  size_t suffix_start = host.size() - suffix.size();
  size_t dot = host.rfind('.', suffix_start - 2);
  return dot == std::string::npos ? host : host.substr(dot + 1);
}

bool psl_knows_top_label(const PublicSuffixList& list, const std::string& label) {
  return list.top_labels.count(lower_ascii(label)) != 0;
}
