#include "judge/public_suffix.h"

#include <cstdio>

namespace {

uint64_t text_hash(std::string_view text) {
  uint64_t hash = 1469598103934665603ull;
  for (char c : text)
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

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

// Offsets of the first byte of each label, at most kMaxHostLabels of them; 0 when a label
// is empty or the name is too long to be a host.
size_t label_starts(const std::string& host, size_t* starts) {
  if (host.empty() || host.size() > kMaxHostBytes) return 0;
  size_t count = 0;
  size_t start = 0;
  for (;;) {
    size_t dot = host.find('.', start);
    size_t end = dot == std::string::npos ? host.size() : dot;
    if (end == start || count == kMaxHostLabels) return 0;
    starts[count++] = start;
    if (dot == std::string::npos) return count;
    start = dot + 1;
  }
}

std::string_view from(const std::string& host, size_t start) {
  return std::string_view(host).substr(start);
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
  return list->rules.size() == 0 ? 0 : 1;
}

std::string psl_public_suffix(const PublicSuffixList& list, const std::string& host) {
  size_t starts[kMaxHostLabels];
  const size_t labels = label_starts(host, starts);
  if (labels == 0) return std::string();
  // An exception rule beats every other rule, so look for one first.
  for (size_t i = 0; i + 1 < labels; ++i) {
    if (list.exceptions.count(from(host, starts[i]))) return host.substr(starts[i + 1]);
  }
  for (size_t i = 0; i < labels; ++i) {
    if (list.rules.count(from(host, starts[i]))) return host.substr(starts[i]);
    if (i + 1 < labels && list.wildcards.count(from(host, starts[i + 1])))
      return host.substr(starts[i]);
  }
  // The implicit rule "*": an unlisted top label is a suffix by itself.
  return host.substr(starts[labels - 1]);
}

std::string psl_registered_domain(const PublicSuffixList& list, const std::string& host) {
  std::string suffix = psl_public_suffix(list, host);
  if (suffix.empty() || host.size() <= suffix.size() + 1) return std::string();
  size_t suffix_start = host.size() - suffix.size();
  size_t dot = host.rfind('.', suffix_start - 2);
  return dot == std::string::npos ? host : host.substr(dot + 1);
}

void SuffixSet::insert(const std::string& text) {
  if (count(text)) return;
  if ((texts.size() + 1) * 2 > slots.size()) {
    std::vector<uint32_t> grown(slots.empty() ? 64 : slots.size() * 2, 0);
    const size_t mask = grown.size() - 1;
    for (size_t i = 0; i < texts.size(); ++i) {
      size_t slot = text_hash(texts[i]) & mask;
      while (grown[slot])
        slot = (slot + 1) & mask;
      grown[slot] = static_cast<uint32_t>(i + 1);
    }
    slots.swap(grown);
  }
  texts.push_back(text);
  const size_t mask = slots.size() - 1;
  size_t slot = text_hash(text) & mask;
  while (slots[slot])
    slot = (slot + 1) & mask;
  slots[slot] = static_cast<uint32_t>(texts.size());
}

size_t SuffixSet::count(std::string_view text) const {
  if (slots.empty()) return 0;
  const size_t mask = slots.size() - 1;
  for (size_t slot = text_hash(text) & mask; slots[slot]; slot = (slot + 1) & mask) {
    if (texts[slots[slot] - 1] == text) return 1;
  }
  return 0;
}

bool psl_knows_top_label(const PublicSuffixList& list, const std::string& label) {
  return list.top_labels.count(lower_ascii(label)) != 0;
}
