#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "account/account_text.h"
#include "app/app_state.h"
#include "app/vendor.h"
#include "protection/protection_report.h"
#include "protection/protection_reports.h"
#include "service/service_protocol.h"
#include "service/service_request.h"
#include "service/service_transport.h"

namespace {

const wchar_t kQueueValue[] = L"PendingReports";
const wchar_t kRunMarkerValue[] = L"Running";
const wchar_t kGuardianLockValue[] = L"GuardianLock";

// Workers keep reports from their own threads.
SRWLOCK g_queue_lock = SRWLOCK_INIT;

struct ReportJob {
  ServiceRequest request;
  char state[REPORT_STATE_CAPACITY];
  uint64_t at;
  volatile LONG settled; // set once by whoever keeps or sends it first
};

uint64_t seconds_now(void) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  // FILETIME counts 100 ns from 1601; 11644473600 s lie between 1601 and 1970.
  return ticks / 10000000ull - 11644473600ull;
}

bool read_queue(char* out, size_t capacity) {
  out[0] = '\0';
  wchar_t text[REPORT_QUEUE_CAPACITY];
  ZeroMemory(text, sizeof(text));
  DWORD type = 0;
  DWORD size = sizeof(text) - sizeof(wchar_t);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, ACCOUNT_TOKEN_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  const LONG status =
      RegQueryValueExW(key, kQueueValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return false;
  // The text is ASCII written by this program; anything else is dropped line by line later.
  if (WideCharToMultiByte(CP_UTF8, 0, text, -1, out, static_cast<int>(capacity), nullptr,
                          nullptr) <= 0)
    out[0] = '\0';
  out[capacity - 1] = '\0';
  return true;
}

void write_queue(const char* queue) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, ACCOUNT_TOKEN_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  if (queue[0] == '\0') {
    RegDeleteValueW(key, kQueueValue);
  } else {
    wchar_t text[REPORT_QUEUE_CAPACITY];
    ZeroMemory(text, sizeof(text));
    MultiByteToWideChar(CP_UTF8, 0, queue, -1, text, REPORT_QUEUE_CAPACITY - 1);
    const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    RegSetValueExW(key, kQueueValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
  }
  RegCloseKey(key);
}

void keep_report(const char* state, uint64_t at) {
  AcquireSRWLockExclusive(&g_queue_lock);
  char queue[REPORT_QUEUE_CAPACITY];
  read_queue(queue, sizeof(queue));
  if (report_queue_add(queue, sizeof(queue), state, at)) write_queue(queue);
  ReleaseSRWLockExclusive(&g_queue_lock);
}

// Sends the job; one that got no answer, or an answer from a service that is down, is kept.
// A refusal (the token no longer known) is not: it would be refused again.
void send_job(ReportJob* job) {
  char* body = static_cast<char*>(calloc(SERVICE_BODY_CAPACITY, 1));
  char* answer = static_cast<char*>(calloc(SERVICE_ANSWER_CAPACITY, 1));
  int status = 0;
  bool sent = false;
  if (body != nullptr && answer != nullptr) {
    build_request_body(&job->request, body);
    wchar_t headers[SERVICE_HEADERS_CAPACITY];
    build_request_headers(&job->request, headers);
    sent = service_exchange(CALLWARDEN_SERVICE_HOST_W, headers, body, answer,
                            SERVICE_ANSWER_CAPACITY, &status) != 0 &&
           status > 0 && status < 500;
  }
  free(body);
  free(answer);
  if (InterlockedExchange(&job->settled, 1) == 0 && !sent) keep_report(job->state, job->at);
}

DWORD WINAPI report_thread(LPVOID parameter) {
  ReportJob* job = static_cast<ReportJob*>(parameter);
  send_job(job);
  free(job);
  return 0;
}

// The one job an ending process waits for; it lives as long as the process.
ReportJob g_last_job;

DWORD WINAPI last_report_thread(LPVOID) {
  send_job(&g_last_job);
  return 0;
}

bool linked(void) { return g_app.auth_token[0] != '\0'; }

// `kept`: sent from the kept reports, after the service could not be reached.
void fill_job(ReportJob* job, const char* state, uint64_t at, bool kept) {
  char digits[24];
  snprintf(digits, sizeof(digits), "%llu", static_cast<unsigned long long>(at));
  prepare_service_request(&job->request,
                          kept ? REQUEST_REPORT_KEPT_PROTECTION : REQUEST_REPORT_PROTECTION,
                          nullptr, state, digits, g_app.device_label, g_app.auth_token);
  snprintf(job->state, sizeof(job->state), "%s", state);
  job->at = at;
}

void report_at(const char* state, uint64_t at, bool kept) {
  ReportJob* job = static_cast<ReportJob*>(calloc(1, sizeof(ReportJob)));
  if (job == nullptr) {
    keep_report(state, at);
    return;
  }
  fill_job(job, state, at, kept);
  HANDLE thread = CreateThread(nullptr, 0, report_thread, job, 0, nullptr);
  if (thread == nullptr) {
    keep_report(state, at);
    free(job);
    return;
  }
  CloseHandle(thread);
}

bool read_dword(const wchar_t* name, DWORD* value) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, ACCOUNT_TOKEN_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  DWORD type = 0;
  DWORD size = sizeof(*value);
  const LONG status =
      RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(*value);
}

void write_dword(const wchar_t* name, DWORD value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, ACCOUNT_TOKEN_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}

} // namespace

void report_protection(const char* state) {
  if (linked() && is_report_state(state)) report_at(state, seconds_now(), false);
}

bool report_protection_and_wait(const char* state, DWORD wait_ms) {
  if (!linked() || !is_report_state(state)) return true;
  ZeroMemory(&g_last_job, sizeof(g_last_job));
  fill_job(&g_last_job, state, seconds_now(), false);
  HANDLE thread = CreateThread(nullptr, 0, last_report_thread, nullptr, 0, nullptr);
  if (thread == nullptr) {
    keep_report(state, g_last_job.at);
    return false;
  }
  const bool answered = WaitForSingleObject(thread, wait_ms) == WAIT_OBJECT_0;
  CloseHandle(thread);
  // Not answered in time: kept, unless the worker settled it in the meantime.
  if (!answered && InterlockedExchange(&g_last_job.settled, 1) == 0)
    keep_report(state, g_last_job.at);
  return answered;
}

void send_kept_reports(void) {
  char queue[REPORT_QUEUE_CAPACITY];
  AcquireSRWLockExclusive(&g_queue_lock);
  const bool found = read_queue(queue, sizeof(queue));
  if (found) write_queue("");
  ReleaseSRWLockExclusive(&g_queue_lock);
  if (!found) return;
  const char* cursor = queue;
  char state[REPORT_STATE_CAPACITY];
  uint64_t at = 0;
  while (report_queue_next(&cursor, state, sizeof(state), &at))
    report_at(state, at, true);
}

void forget_kept_reports(void) {
  AcquireSRWLockExclusive(&g_queue_lock);
  write_queue("");
  ReleaseSRWLockExclusive(&g_queue_lock);
}

void note_run_started(void) {
  DWORD marker = 0;
  const bool found = read_dword(kRunMarkerValue, &marker);
  const char* report = report_for_last_run(found, marker, linked());
  if (report != nullptr) keep_report(report, seconds_now());
  note_run_going_on();
}

void note_run_going_on(void) {
  // An unlinked computer has nobody to tell, and its registry stays as it was.
  if (linked()) write_dword(kRunMarkerValue, RUN_MARKER_RUNNING);
}

void note_clean_end(int paused) {
  // Never created here: the uninstall may have removed the key already.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, ACCOUNT_TOKEN_KEY, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return;
  if (paused && linked()) {
    // The family page still says paused; the next start, armed again, puts that right.
    const DWORD value = RUN_MARKER_ENDED_PAUSED;
    RegSetValueExW(key, kRunMarkerValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof(value));
  } else {
    RegDeleteValueW(key, kRunMarkerValue);
  }
  RegCloseKey(key);
}

int read_guardian_lock(void) {
  DWORD on = 0;
  return read_dword(kGuardianLockValue, &on) && on == 1 ? 1 : 0;
}

void save_guardian_lock(int on) { write_dword(kGuardianLockValue, on ? 1u : 0u); }
