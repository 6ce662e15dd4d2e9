#pragma once
// Test control: the next few API requests get a prepared answer instead of
// a real one, so the program's handling of odd answers can be exercised.
#include <condition_variable>
#include <mutex>
#include <string>

struct CannedAnswer {
  int status;
  std::string body;
  std::string content_type;
  int delay_ms;
  int count;
};

struct CannedAnswers {
  std::mutex lock;
  std::condition_variable wake;
  bool stopping = false;
  CannedAnswer next = CannedAnswer{200, std::string(), std::string(), 0, 0};
};

// Reads {"status":200,"body":"...","body_repeat_char":"x","body_length":32767,
// "delay_ms":0,"count":1,"content_type":"application/json"}; every member is
// optional, and body_repeat_char with body_length, when given, replace
// "body". 0 with a plain-English `error` when a value is out of range.
int parse_canned_answer(const std::string& json_text, CannedAnswer* out, std::string* error);

void canned_set(CannedAnswers* answers, const CannedAnswer& answer);
void canned_reset(CannedAnswers* answers);

// Takes one use of the prepared answer; 0 when none is left.
int canned_take(CannedAnswers* answers, CannedAnswer* out);

// Sleeps, but returns at once when the service is stopping.
void canned_wait(CannedAnswers* answers, int delay_ms);
void canned_stop(CannedAnswers* answers);
