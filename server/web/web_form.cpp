#include "web/web_form.h"

#include "base/hex_digit.h"

namespace {

std::string decode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out.push_back(' ');
    } else if (c == '%' && i + 2 < text.size() && hex_digit_value(text[i + 1]) >= 0 &&
               hex_digit_value(text[i + 2]) >= 0) {
      out.push_back(
          static_cast<char>(hex_digit_value(text[i + 1]) * 16 + hex_digit_value(text[i + 2])));
      i += 2;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

} // namespace

int parse_form(const std::string& encoded, std::map<std::string, std::string>* out) {
  out->clear();
  size_t start = 0;
  int fields = 0;
  while (start <= encoded.size()) {
    size_t end = encoded.find('&', start);
    if (end == std::string::npos) end = encoded.size();
    std::string pair = encoded.substr(start, end - start);
    if (!pair.empty()) {
      if (++fields > 64) return 0;
      size_t equals = pair.find('=');
      std::string name = decode(pair.substr(0, equals));
      std::string value =
          equals == std::string::npos ? std::string() : decode(pair.substr(equals + 1));
      out->emplace(name, value);
    }
    start = end + 1;
  }
  return 1;
}

std::string cookie_value(const std::string& cookie_header, const std::string& name) {
  size_t start = 0;
  while (start < cookie_header.size()) {
    size_t end = cookie_header.find(';', start);
    if (end == std::string::npos) end = cookie_header.size();
    std::string pair = cookie_header.substr(start, end - start);
    size_t first = pair.find_first_not_of(' ');
    if (first != std::string::npos) pair = pair.substr(first);
    size_t equals = pair.find('=');
    if (equals != std::string::npos && pair.compare(0, equals, name) == 0 &&
        equals == name.size()) {
      std::string value = pair.substr(equals + 1);
      while (!value.empty() && value.back() == ' ')
        value.pop_back();
      return value;
    }
    start = end + 1;
  }
  return std::string();
}

const std::string& form_field(const std::map<std::string, std::string>& form, const char* name) {
  static const std::string kEmpty;
  auto it = form.find(name);
  return it == form.end() ? kEmpty : it->second;
}
