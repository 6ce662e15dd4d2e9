#include "tests/soak/soak_service_win.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool reset_answers(void) { return post_test_control(L"/test/reset", "{}") == 200; }

bool prepare_answers(AnswerType type, int delay_ms, int count) {
  char json[512];
  switch (type) {
  case ANSWER_NORMAL: return reset_answers();
  case ANSWER_EMPTY:
    snprintf(json, sizeof(json), "{\"status\":200,\"body\":\"\",\"count\":%d}", count);
    break;
  case ANSWER_OVERSIZED:
    // Not JSON at all: whatever the program keeps of it must read as a failure.
    snprintf(json, sizeof(json),
             "{\"status\":200,\"body_repeat_char\":\"x\",\"body_length\":%d,\"count\":%d}",
             SOAK_OVERSIZED_LENGTH, count);
    break;
  case ANSWER_ERROR:
    snprintf(json, sizeof(json),
             "{\"status\":500,\"content_type\":\"text/html\",\"body\":\"<html><head><title>500 "
             "Internal Server Error</title></head><body><h1>Internal Server Error</h1><p>The "
             "server encountered an internal error.</p></body></html>\",\"count\":%d}",
             count);
    break;
  case ANSWER_REFUSED:
    snprintf(json, sizeof(json),
             "{\"status\":403,\"body\":\"{\\\"ok\\\":false,\\\"error\\\":\\\"This device is not "
             "allowed to use the service.\\\"}\",\"count\":%d}",
             count);
    break;
  case ANSWER_SLOW:
    // A refusal, never a success: an accepted override PIN would stop the blocker for an hour.
    snprintf(json, sizeof(json),
             "{\"status\":200,\"delay_ms\":%d,\"body\":\"{\\\"ok\\\":false,\\\"error\\\":\\\"The "
             "service is busy.\\\"}\",\"count\":%d}",
             delay_ms, count);
    break;
  default: return false;
  }
  return post_test_control(L"/test/next_answer", json) == 200;
}

bool open_service_log(ServiceLog* log) {
  ZeroMemory(log, sizeof(*log));
  const wchar_t* dir = _wgetenv(L"CALLWARDEN_SERVICE_DIR");
  if (dir == nullptr || dir[0] == L'\0') return false;
  _snwprintf(log->path, MAX_PATH - 1, L"%ls\\requests.jsonl", dir);
  log->path[MAX_PATH - 1] = L'\0';
  log->present = true;
  return true;
}

namespace {

const char kApiPathField[] = "\"path\":\"/callwarden_api.php\"";

bool line_is_api_request(const char* line, size_t length) {
  const size_t field = sizeof(kApiPathField) - 1;
  // The path comes right after the method, near the start of every line.
  const size_t look = length < 160 ? length : 160;
  for (size_t i = 0; i + field <= look; i++) {
    if (memcmp(line + i, kApiPathField, field) == 0) return true;
  }
  return false;
}

} // namespace

int64_t service_api_requests(ServiceLog* log) {
  if (!log->present) return 0;
  HANDLE file = CreateFileW(log->path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return log->api_requests;
  static char chunk[256 * 1024];
  for (;;) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(log->offset);
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) break;
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof(chunk), &got, nullptr) || got == 0) break;
    // Only whole lines count; a line still being written is read again next time.
    size_t start = 0;
    size_t consumed = 0;
    for (size_t i = 0; i < got; i++) {
      if (chunk[i] != '\n') continue;
      if (line_is_api_request(chunk + start, i - start)) log->api_requests++;
      start = i + 1;
      consumed = start;
    }
    if (consumed == 0) {
      // A line longer than the chunk: only a full chunk can be one, skip its head.
      if (got < sizeof(chunk)) break;
      consumed = got;
    }
    log->offset += consumed;
    if (got < sizeof(chunk)) break;
  }
  CloseHandle(file);
  return log->api_requests;
}

int64_t wait_service_api_requests(ServiceLog* log, int64_t count, DWORD timeout_ms, DWORD idle_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  int64_t last = service_api_requests(log);
  ULONGLONG last_change = GetTickCount64();
  for (;;) {
    const int64_t seen = service_api_requests(log);
    const ULONGLONG now = GetTickCount64();
    if (seen != last) {
      last = seen;
      last_change = now;
    }
    if (seen >= count || !log->present || now >= end || now - last_change >= idle_ms) return seen;
    Sleep(20);
  }
}
