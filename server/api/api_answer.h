#pragma once
// What one request to the service is answered with: an HTTP status and a
// flat JSON object that always holds "ok", and "error" when ok is false.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

struct ApiAnswer {
  int status;
  std::string body;
  int64_t retry_after = 0; // seconds, sent as Retry-After when above 0
  const char* action = ""; // the action's name once known, for the log and /metrics
};

// `members` must be an object; "ok": true is put first.
ApiAnswer ok_answer(int status, const nlohmann::ordered_json& members);

ApiAnswer error_answer(int status, const std::string& message);

// 429 with a Retry-After of `seconds`.
ApiAnswer limited_answer(const std::string& message, int64_t seconds);

// A lookup a decision rests on failed: 503 with a Retry-After of kStoreRetrySeconds. Never an
// answer that could be read as "no such token" or "no such code".
const int64_t kStoreRetrySeconds = 10;
ApiAnswer unavailable_answer(const std::string& message);

// Serialises without ever throwing: bytes that are not UTF-8 (a customer
// name set from a shell, say) become U+FFFD.
std::string json_text(const nlohmann::ordered_json& value);
