#include "base/request_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>

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

// Replaces the string value of every member `name` in a JSON text, found by its quoted name
// followed by a colon, without parsing (the body may not be valid JSON at all).
void mask_member(std::string* body, const std::string& name) {
  const std::string quoted = "\"" + name + "\"";
  for (size_t at = body->find(quoted); at != std::string::npos; at = body->find(quoted, at + 1)) {
    size_t i = at + quoted.size();
    while (i < body->size() &&
           ((*body)[i] == ' ' || (*body)[i] == '\t' || (*body)[i] == '\n' || (*body)[i] == '\r'))
      ++i;
    if (i >= body->size() || (*body)[i] != ':') continue;
    ++i;
    while (i < body->size() &&
           ((*body)[i] == ' ' || (*body)[i] == '\t' || (*body)[i] == '\n' || (*body)[i] == '\r'))
      ++i;
    if (i >= body->size() || (*body)[i] != '"') continue;
    size_t end = i + 1;
    while (end < body->size() && (*body)[end] != '"')
      end += (*body)[end] == '\\' ? 2 : 1;
    if (end >= body->size()) { // no closing quote: everything after the opening one goes
      body->replace(i + 1, std::string::npos, "***");
      return;
    }
    body->replace(i + 1, end - i - 1, "***");
  }
}

} // namespace

void mask_request_secrets(RequestRecord* record) {
  for (auto& header : record->headers) {
    if (same_name(header.first, "authorization")) header.second = "***";
  }
  mask_member(&record->body, "pin_code");
  mask_member(&record->body, "override_pin");
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
