#include "base/request_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

std::mutex g_append_lock;

bool same_name(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (x != b[i]) return false;
  }
  return i == a.size() && !b[i];
}

std::string header_or_null(const RequestRecord& record, const char* lower_name) {
  for (const auto& header : record.headers) {
    if (same_name(header.first, lower_name)) return json_quote_bytes(header.second);
  }
  return "null";
}

} // namespace

std::string json_quote_bytes(const std::string& bytes) {
  std::string out = "\"";
  for (char c : bytes) {
    unsigned char u = static_cast<unsigned char>(c);
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
      if (u < 0x20 || u == 0x7F) {
        char escape[8];
        std::snprintf(escape, sizeof(escape), "\\u%04x", u);
        out += escape;
      } else {
        out.push_back(c);
      }
    }
  }
  out += "\"";
  return out;
}

std::string request_log_line(const RequestRecord& record) {
  std::string line = "{\"method\":" + json_quote_bytes(record.method);
  line += ",\"path\":" + json_quote_bytes(record.path);
  line += ",\"target\":" + json_quote_bytes(record.target);
  line += ",\"host\":" + header_or_null(record, "host");
  line += ",\"content_type\":" + header_or_null(record, "content-type");
  line += ",\"authorization\":" + header_or_null(record, "authorization");
  line += ",\"user_agent\":" + header_or_null(record, "user-agent");
  line += ",\"accept\":" + header_or_null(record, "accept");
  line += ",\"content_length\":" + header_or_null(record, "content-length");
  line += ",\"body\":" + json_quote_bytes(record.body);
  line += ",\"headers\":{";
  for (size_t i = 0; i < record.headers.size(); ++i) {
    if (i) line += ",";
    line += json_quote_bytes(record.headers[i].first) + ":" +
            json_quote_bytes(record.headers[i].second);
  }
  line += "}}";
  return line;
}

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the JSON string whose opening quote is at `at`: its text with the escapes undone (a
// character beyond ASCII as '?', enough to compare with a member's name) and the index just
// past its closing quote, or npos when it has none.
size_t read_json_string(const std::string& body, size_t at, std::string* text) {
  text->clear();
  size_t i = at + 1;
  while (i < body.size() && body[i] != '"') {
    if (body[i] != '\\') {
      text->push_back(body[i++]);
      continue;
    }
    char kind = i + 1 < body.size() ? body[i + 1] : '\0';
    i += 2;
    if (kind == 'u') {
      int code = 0;
      for (int k = 0; k < 4; ++k) {
        int digit = i < body.size() ? hex_value(body[i]) : -1;
        if (digit < 0) break;
        code = code * 16 + digit;
        ++i;
      }
      text->push_back(code < 0x80 ? static_cast<char>(code) : '?');
    } else {
      text->push_back(kind == 'n' ? '\n' : kind == 't' ? '\t' : kind == 'r' ? '\r' : kind);
    }
  }
  return i < body.size() ? i + 1 : std::string::npos;
}

// Replaces the string value of every member named one of `names` with "***", found by reading
// each string of the body and whether a colon follows it, without parsing the whole (the body may
// not be valid JSON at all). The name is compared as JSON reads it, escapes undone, so
// "pin\u005fcode" is "pin_code" here as it is to the service.
void mask_members(std::string* body, const std::vector<std::string>& names) {
  std::string key;
  for (size_t at = body->find('"'); at != std::string::npos; at = body->find('"', at)) {
    size_t after = read_json_string(*body, at, &key);
    if (after == std::string::npos) return;
    size_t i = after;
    while (i < body->size() && is_blank((*body)[i]))
      ++i;
    bool secret = i < body->size() && (*body)[i] == ':' &&
                  std::find(names.begin(), names.end(), key) != names.end();
    at = after;
    if (!secret) continue;
    ++i;
    while (i < body->size() && is_blank((*body)[i]))
      ++i;
    if (i >= body->size()) return;
    if ((*body)[i] != '"') {
      // A PIN sent as a number is refused, but it may still be the person's PIN.
      size_t end = body->find_first_not_of("0123456789+-.eE", i);
      if (end == i) continue;
      body->replace(i, end == std::string::npos ? std::string::npos : end - i, "\"***\"");
      at = i + 5;
      continue;
    }
    std::string value;
    size_t end = read_json_string(*body, i, &value);
    if (end == std::string::npos) { // no closing quote: everything after the opening one goes
      body->replace(i + 1, std::string::npos, "***");
      return;
    }
    body->replace(i, end - i, "\"***\"");
    at = i + 5;
  }
}

} // namespace

void mask_request_secrets(RequestRecord* record) {
  for (auto& header : record->headers) {
    if (same_name(header.first, "authorization")) header.second = "***";
  }
  mask_members(&record->body, {"pin_code", "override_pin"});
}

int append_log_line(const std::string& file, const std::string& line) {
  std::lock_guard<std::mutex> hold(g_append_lock);
  // Codes, alerts and requests are for this service alone, whatever the umask: a file made
  // before (or by hand) is closed to others too.
  int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  struct stat info;
  if (fstat(fd, &info) != 0 || ((info.st_mode & 0777) != 0600 && fchmod(fd, 0600) != 0)) {
    close(fd);
    return 0;
  }
  FILE* out = fdopen(fd, "ab");
  if (!out) {
    close(fd);
    return 0;
  }
  bool written =
      std::fwrite(line.data(), 1, line.size(), out) == line.size() && std::fputc('\n', out) != EOF;
  return std::fclose(out) == 0 && written ? 1 : 0;
}
