#include "api/canned_answers.h"

#include <chrono>
#include <nlohmann/json.hpp>

namespace {

const int kMaxBodyLength = 16 * 1024 * 1024;
const int kMaxDelayMs = 120000;
const int kMaxCount = 100000;

// 1 when the member is absent (out untouched) or an integer in range.
int read_int(const nlohmann::json& doc, const char* key, int low, int high, int* out) {
  auto it = doc.find(key);
  if (it == doc.end()) return 1;
  if (!it->is_number_integer()) return 0;
  long long value = it->get<long long>();
  if (value < low || value > high) return 0;
  *out = static_cast<int>(value);
  return 1;
}

int read_string(const nlohmann::json& doc, const char* key, std::string* out, bool* present) {
  auto it = doc.find(key);
  *present = it != doc.end();
  if (!*present) return 1;
  if (!it->is_string()) return 0;
  *out = it->get_ref<const std::string&>();
  return 1;
}

} // namespace

int parse_canned_answer(const std::string& json_text, CannedAnswer* out, std::string* error) {
  nlohmann::json doc = nlohmann::json::parse(json_text, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) {
    *error = "The test answer must be a JSON object.";
    return 0;
  }
  CannedAnswer answer{200, std::string(), "application/json", 0, 1};
  int length = -1;
  if (!read_int(doc, "status", 200, 599, &answer.status)) {
    *error = "\"status\" must be a whole number from 200 to 599.";
    return 0;
  }
  if (!read_int(doc, "delay_ms", 0, kMaxDelayMs, &answer.delay_ms)) {
    *error = "\"delay_ms\" must be a whole number from 0 to 120000.";
    return 0;
  }
  if (!read_int(doc, "count", 1, kMaxCount, &answer.count)) {
    *error = "\"count\" must be a whole number from 1 to 100000.";
    return 0;
  }
  if (!read_int(doc, "body_length", 0, kMaxBodyLength, &length)) {
    *error = "\"body_length\" must be a whole number from 0 to 16777216.";
    return 0;
  }
  bool has_body = false; // a generated body takes the place of "body"
  bool has_repeat = false;
  bool has_type = false;
  std::string repeat;
  if (!read_string(doc, "body", &answer.body, &has_body) ||
      !read_string(doc, "body_repeat_char", &repeat, &has_repeat) ||
      !read_string(doc, "content_type", &answer.content_type, &has_type)) {
    *error = "\"body\", \"body_repeat_char\" and \"content_type\" must be strings.";
    return 0;
  }
  if (has_repeat != (length >= 0) || (has_repeat && repeat.size() != 1)) {
    *error = "\"body_repeat_char\" (one byte) and \"body_length\" go together.";
    return 0;
  }
  if (has_repeat) answer.body.assign(static_cast<size_t>(length), repeat[0]);
  *out = answer;
  return 1;
}

void canned_set(CannedAnswers* answers, const CannedAnswer& answer) {
  std::lock_guard<std::mutex> hold(answers->lock);
  answers->next = answer;
}

void canned_reset(CannedAnswers* answers) {
  std::lock_guard<std::mutex> hold(answers->lock);
  answers->next.count = 0;
}

int canned_take(CannedAnswers* answers, CannedAnswer* out) {
  std::lock_guard<std::mutex> hold(answers->lock);
  if (answers->next.count <= 0) return 0;
  --answers->next.count;
  *out = answers->next;
  return 1;
}

void canned_wait(CannedAnswers* answers, int delay_ms) {
  std::unique_lock<std::mutex> hold(answers->lock);
  answers->wake.wait_for(hold, std::chrono::milliseconds(delay_ms),
                         [answers] { return answers->stopping; });
}

void canned_stop(CannedAnswers* answers) {
  {
    std::lock_guard<std::mutex> hold(answers->lock);
    answers->stopping = true;
  }
  answers->wake.notify_all();
}
