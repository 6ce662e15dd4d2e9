#pragma once
// What one request to the service is answered with: an HTTP status and a
// flat JSON object that always holds "ok", and "error" when ok is false.
#include <nlohmann/json.hpp>
#include <string>

struct ApiAnswer {
  int status;
  std::string body;
};

// `members` must be an object; "ok": true is put first.
ApiAnswer ok_answer(int status, const nlohmann::ordered_json& members);

ApiAnswer error_answer(int status, const std::string& message);

// Serialises without ever throwing: bytes that are not UTF-8 (a customer
// name set from a shell, say) become U+FFFD.
std::string json_text(const nlohmann::ordered_json& value);
