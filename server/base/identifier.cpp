#include "base/identifier.h"

namespace {

const size_t kMaxEmailLength = 254;
const size_t kMaxLocalPartLength = 64;

std::string trim_blanks(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int normalise_email(const std::string& typed, std::string* canonical) {
  std::string email;
  for (char c : typed) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F) return 0;
    email.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  }
  size_t at = email.find('@');
  if (at == 0 || at == std::string::npos || email.find('@', at + 1) != std::string::npos) return 0;
  if (at > kMaxLocalPartLength || email.size() > kMaxEmailLength) return 0;
  std::string domain = email.substr(at + 1);
  if (domain.size() < 3 || domain.find('.') == std::string::npos) return 0;
  if (domain.front() == '.' || domain.back() == '.' || domain.find("..") != std::string::npos)
    return 0;
  for (char c : domain) {
    if (!((c >= 'a' && c <= 'z') || is_digit(c) || c == '-' || c == '.')) return 0;
  }
  for (char c : email.substr(0, at)) {
    if (c == '(' || c == ')' || c == ',' || c == ':' || c == ';' || c == '<' || c == '>' ||
        c == '[' || c == ']' || c == '\\' || c == '"')
      return 0;
  }
  *canonical = email;
  return 1;
}

int normalise_mobile(const std::string& typed, std::string* canonical) {
  std::string text = typed;
  size_t zero = text.find("(0)");
  if (zero != std::string::npos) text.erase(zero, 3);
  std::string digits;
  bool plus = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+' && i == 0) {
      plus = true;
    } else if (is_digit(c)) {
      digits.push_back(c);
    } else if (c != ' ' && c != '-' && c != '(' && c != ')' && c != '.') {
      return 0;
    }
  }
  if (plus || digits.compare(0, 4, "0044") == 0) {
    size_t skip = plus ? 2 : 4;
    if (digits.compare(plus ? 0 : 2, 2, "44") != 0) return 0;
    digits = "0" + digits.substr(skip);
  } else if (digits.size() == 12 && digits.compare(0, 3, "447") == 0) {
    digits = "0" + digits.substr(2);
  }
  if (digits.size() != 11 || digits.compare(0, 2, "07") != 0) return 0;
  *canonical = digits;
  return 1;
}

} // namespace

int normalise_identifier(const std::string& typed, std::string* canonical) {
  std::string text = trim_blanks(typed);
  if (text.empty()) return 0;
  if (text.find('@') != std::string::npos) return normalise_email(text, canonical);
  return normalise_mobile(text, canonical);
}

std::string mask_identifier(const std::string& canonical) {
  size_t at = canonical.find('@');
  if (at != std::string::npos) return canonical.substr(0, 1) + "***" + canonical.substr(at);
  if (canonical.size() < 5) return "***";
  return canonical.substr(0, 2) + "*** ***" + canonical.substr(canonical.size() - 3);
}
