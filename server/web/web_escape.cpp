#include "web/web_escape.h"

#include "base/utf8_repair.h"

namespace {

std::string escaped(const std::string& text, bool attribute) {
  std::string clean = repair_utf8(text);
  std::string out;
  out.reserve(clean.size() + clean.size() / 8);
  for (char c : clean) {
    switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\'': out += "&#39;"; break;
    case '\n': out += attribute ? "&#10;" : "\n"; break;
    case '\r': out += attribute ? "&#13;" : ""; break;
    case '\t': out += attribute ? "&#9;" : "\t"; break;
    default:
      // Other control bytes have no place in a page; NUL in particular ends some parsers.
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        out += "\xEF\xBF\xBD";
      } else {
        out.push_back(c);
      }
    }
  }
  return out;
}

} // namespace

std::string html_text(const std::string& text) { return escaped(text, false); }

std::string html_attr(const std::string& text) { return escaped(text, true); }

std::string url_component(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '-' ||
        u == '.' || u == '_' || u == '~') {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kDigits[u >> 4]);
      out.push_back(kDigits[u & 15]);
    }
  }
  return out;
}
