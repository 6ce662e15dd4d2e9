#include "judge/brand_domains.h"

#include <cstring>
#include <vector>

namespace {

// The brand table's names as strings, made once: a message may hold thousands of links,
// and each is compared with every brand.
struct BrandText {
  std::vector<std::string> official;
  std::vector<std::string> name_parts;
  std::vector<std::string> short_names;
};

std::vector<std::string> texts_of(const char* const* list) {
  std::vector<std::string> texts;
  for (const char* const* p = list; p && *p; ++p)
    texts.push_back(*p);
  return texts;
}

const std::vector<BrandText>& brand_texts() {
  static const std::vector<BrandText> texts = [] {
    size_t count = 0;
    const Brand* brands = brand_table(&count);
    std::vector<BrandText> made;
    for (size_t i = 0; i < count; ++i)
      made.push_back(BrandText{texts_of(brands[i].official), texts_of(brands[i].name_parts),
                               texts_of(brands[i].short_names)});
    return made;
  }();
  return texts;
}

bool host_ends_with_domain(const std::string& host, const std::string& domain) {
  size_t len = domain.size();
  if (host.size() == len) return host == domain;
  return host.size() > len && host[host.size() - len - 1] == '.' &&
         host.compare(host.size() - len, len, domain) == 0;
}

bool official_for(const BrandText& brand, const std::string& host) {
  for (const std::string& domain : brand.official) {
    if (host_ends_with_domain(host, domain)) return true;
  }
  return false;
}

size_t brand_number(const Brand& brand) {
  size_t count = 0;
  return static_cast<size_t>(&brand - brand_table(&count));
}

// The hyphen- and dot-separated parts of the labels, and the runs of
// letters inside them ("dpd24-uk" gives "dpd24", "dpd" and "uk").
std::vector<std::string> label_parts(const std::string& owner_part) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= owner_part.size()) {
    size_t end = owner_part.find_first_of("-.", start);
    if (end == std::string::npos) end = owner_part.size();
    std::string part = owner_part.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    parts.push_back(part);
    std::string letters;
    for (size_t i = 0; i <= part.size(); ++i) {
      if (i < part.size() && part[i] >= 'a' && part[i] <= 'z') {
        letters.push_back(part[i]);
      } else {
        if (!letters.empty() && letters != part) parts.push_back(letters);
        letters.clear();
      }
    }
  }
  return parts;
}

// Short names give too many near misses among ordinary words ("cloud").
const size_t kMisspellingMinLength = 6;

std::string without_separators(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '-' && c != '.') out.push_back(c);
  }
  return out;
}

} // namespace

bool host_is_official_for(const Brand& brand, const std::string& host) {
  return official_for(brand_texts()[brand_number(brand)], host);
}

bool host_is_official_for_any_brand(const std::string& host) {
  for (const BrandText& brand : brand_texts()) {
    if (official_for(brand, host)) return true;
  }
  return false;
}

std::string undo_lookalike_letters(const std::string& label) {
  std::string out;
  for (size_t i = 0; i < label.size(); ++i) {
    char c = label[i];
    if (c == 'r' && i + 1 < label.size() && label[i + 1] == 'n') {
      out.push_back('m');
      ++i;
      continue;
    }
    if (c == 'v' && i + 1 < label.size() && label[i + 1] == 'v') {
      out.push_back('w');
      ++i;
      continue;
    }
    switch (c) {
    case '0': c = 'o'; break;
    case '1': c = 'l'; break;
    case '3': c = 'e'; break;
    case '4': c = 'a'; break;
    case '5': c = 's'; break;
    case '7': c = 't'; break;
    default: break;
    }
    out.push_back(c);
  }
  return out;
}

bool one_edit_apart(const std::string& a, const std::string& b) {
  if (a == b) return false;
  size_t la = a.size();
  size_t lb = b.size();
  if (la == lb) {
    size_t first = 0;
    while (a[first] == b[first])
      ++first;
    if (a.compare(first + 1, std::string::npos, b, first + 1, std::string::npos) == 0) return true;
    return first + 1 < la && a[first] == b[first + 1] && a[first + 1] == b[first] &&
           a.compare(first + 2, std::string::npos, b, first + 2, std::string::npos) == 0;
  }
  const std::string& longer = la > lb ? a : b;
  const std::string& shorter = la > lb ? b : a;
  if (longer.size() != shorter.size() + 1) return false;
  size_t first = 0;
  while (first < shorter.size() && longer[first] == shorter[first])
    ++first;
  return longer.compare(first + 1, std::string::npos, shorter, first, std::string::npos) == 0;
}

BrandImitation host_imitates_brand(const std::string& host, const std::string& owner_part,
                                   const Brand** brand) {
  *brand = nullptr;
  if (owner_part.empty()) return kNoImitation;
  std::string joined = undo_lookalike_letters(without_separators(owner_part));
  std::vector<std::string> raw_parts = label_parts(owner_part);
  std::vector<std::string> parts;
  for (const std::string& part : raw_parts) {
    parts.push_back(part);
    parts.push_back(undo_lookalike_letters(part));
  }
  size_t count = 0;
  const Brand* brands = brand_table(&count);
  const std::vector<BrandText>& texts = brand_texts();
  std::vector<bool> official(count, false);
  for (size_t i = 0; i < count; ++i) {
    official[i] = official_for(texts[i], host);
    if (official[i]) continue;
    for (const std::string& name : texts[i].name_parts) {
      if (joined.find(name) != std::string::npos) {
        *brand = &brands[i];
        return kUsesBrandName;
      }
    }
    for (const std::string& name : texts[i].short_names) {
      for (const std::string& part : parts) {
        if (part == name) {
          *brand = &brands[i];
          return kUsesBrandName;
        }
      }
    }
  }
  for (size_t i = 0; i < count; ++i) {
    if (official[i]) continue;
    for (const std::string& name : texts[i].name_parts) {
      if (name.size() < kMisspellingMinLength) continue;
      for (const std::string& part : parts) {
        if (part.size() >= kMisspellingMinLength && one_edit_apart(part, name)) {
          *brand = &brands[i];
          return kMisspellsBrandName;
        }
      }
    }
  }
  return kNoImitation;
}
