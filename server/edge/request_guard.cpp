#include "edge/request_guard.h"

namespace {

bool same_name(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    char d = b[i];
    if (d >= 'A' && d <= 'Z') d = static_cast<char>(d - 'A' + 'a');
    if (c != d) return false;
  }
  return i == a.size() && !b[i];
}

// Digits only, at most 18 of them: anything else is not a length.
bool read_length(const std::string& text, uint64_t* out) {
  size_t first = text.find_first_not_of(" \t");
  size_t last = text.find_last_not_of(" \t");
  if (first == std::string::npos || last - first + 1 > 18) return false;
  uint64_t value = 0;
  for (size_t i = first; i <= last; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  *out = value;
  return true;
}

struct BodyFacts {
  int lengths = 0; // Content-Length fields
  bool length_read = true;
  uint64_t length = 0;
  bool transfer_encoding = false;
};

BodyFacts body_facts(const HeadFields& fields) {
  BodyFacts facts;
  for (const auto& field : fields) {
    if (same_name(field.first, "Content-Length")) {
      uint64_t value = 0;
      if (!read_length(field.second, &value)) facts.length_read = false;
      // Two lengths that differ leave the body's end to whoever reads it: never.
      if (facts.lengths > 0 && value != facts.length) facts.length_read = false;
      facts.length = value;
      ++facts.lengths;
    }
    if (same_name(field.first, "Transfer-Encoding")) facts.transfer_encoding = true;
  }
  return facts;
}

GuardVerdict refuse(int status, const char* text) {
  GuardVerdict verdict;
  verdict.status = status;
  verdict.text = text;
  verdict.close = true;
  return verdict;
}

} // namespace

bool head_announces_body(const HeadFields& fields) {
  BodyFacts facts = body_facts(fields);
  return facts.transfer_encoding || !facts.length_read || facts.length > 0;
}

GuardVerdict guard_request_head(const std::string& method, const HeadFields& fields,
                                uint64_t max_body) {
  BodyFacts facts = body_facts(fields);
  if (!facts.length_read)
    return refuse(400, "The request's Content-Length is not one plain number.");
  if (facts.transfer_encoding && facts.lengths > 0)
    return refuse(400, "The request has both a Content-Length and a Transfer-Encoding.");
  const bool sends_body = facts.transfer_encoding || facts.length > 0;
  // The library reads no body for other methods, so one sent would run as the next request.
  const bool body_read = method == "POST" || method == "PUT" || method == "PATCH" ||
                         method == "DELETE" || method == "PRI";
  if (!body_read) {
    if (sends_body) return refuse(400, "A GET or HEAD request cannot carry a body.");
    return GuardVerdict();
  }
  // A chunked body, or one read to the end of the connection, has no limit the library keeps.
  if (facts.transfer_encoding)
    return refuse(411, "The request must give its length (Content-Length), not chunks.");
  if (facts.lengths == 0) return refuse(411, "The request must give its length (Content-Length).");
  if (facts.length > max_body)
    return refuse(413, "The request is too large: it can be at most 64 KiB.");
  return GuardVerdict();
}
