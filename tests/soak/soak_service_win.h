#pragma once
// The soak's side channel to olvex-service: its test endpoints (prepared answers) and
// its request log, read as it grows.
#include <windows.h>

#include <cstdint>

#include "tests/soak/soak_plan.h"
#include "tests/soak/test_control_win.h"

// Makes the service give the next `count` API requests an answer of `type` (for
// ANSWER_SLOW after `delay_ms`). ANSWER_NORMAL clears any prepared answer instead.
bool prepare_answers(AnswerType type, int delay_ms, int count);
bool reset_answers(void);

// Counts the API requests in <service data>\requests.jsonl, reading only what was added.
struct ServiceLog {
  wchar_t path[MAX_PATH];
  uint64_t offset;
  int64_t api_requests;
  bool present;
};

// False when CALLWARDEN_SERVICE_DIR is not set (not run inside scripts/with-service).
bool open_service_log(ServiceLog* log);
int64_t service_api_requests(ServiceLog* log);
// Polls the log until it holds `count` API requests, `timeout_ms` passed, or nothing new
// came for `idle_ms` (a request the program gave up on before the service took it never
// comes); the count.
int64_t wait_service_api_requests(ServiceLog* log, int64_t count, DWORD timeout_ms, DWORD idle_ms);
