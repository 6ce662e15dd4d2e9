#include "api/api_answer.h"

std::string json_text(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

ApiAnswer ok_answer(int status, const nlohmann::ordered_json& members) {
  nlohmann::ordered_json body = nlohmann::ordered_json::object();
  body["ok"] = true;
  for (auto it = members.begin(); it != members.end(); ++it)
    body[it.key()] = it.value();
  return ApiAnswer{status, json_text(body), 0, ""};
}

ApiAnswer error_answer(int status, const std::string& message) {
  nlohmann::ordered_json body = nlohmann::ordered_json::object();
  body["ok"] = false;
  body["error"] = message;
  return ApiAnswer{status, json_text(body), 0, ""};
}

ApiAnswer limited_answer(const std::string& message, int64_t seconds) {
  ApiAnswer answer = error_answer(429, message);
  answer.retry_after = seconds;
  return answer;
}

ApiAnswer unavailable_answer(const std::string& message) {
  ApiAnswer answer = error_answer(503, message);
  answer.retry_after = kStoreRetrySeconds;
  return answer;
}
