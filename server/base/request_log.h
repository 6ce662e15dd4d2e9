#pragma once
// <data>/requests.jsonl, written only with --request-log: one JSON line per request to the
// API path, so tests of the program can check exactly what it sent.
#include <string>
#include <utility>
#include <vector>

struct RequestRecord {
  std::string method;
  std::string path;   // without the query
  std::string target; // as sent on the request line
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers; // names as sent
};

// A JSON string holding exactly these bytes: quotes, backslashes and control
// bytes are escaped, and every byte from 0x80 up passes unchanged, so a body
// that is not valid UTF-8 is still recorded byte for byte.
std::string json_quote_bytes(const std::string& bytes);

// Keys: method, path, target, host, content_type, authorization, user_agent,
// accept, content_length (header texts, null when the header is absent),
// body, and last "headers", an object of every header received.
std::string request_log_line(const RequestRecord& record);

// Hides what must not reach a log: the Authorization header's value and the values of the
// members "pin_code" and "override_pin" in the body become "***"; every other byte stays.
void mask_request_secrets(RequestRecord* record);

// Appends the line and a line break; 0 when the file cannot be written.
int append_log_line(const std::string& file, const std::string& line);
