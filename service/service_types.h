#pragma once
// Records that carry one request to its worker thread and its answer back.
#include <cstdint>

enum RequestKind : uint32_t {
  REQUEST_APP_STATUS = 1,
  REQUEST_SEND_PIN = 2,
  REQUEST_VERIFY_PIN = 3,
  REQUEST_CHECK_SCAM = 4,
  REQUEST_VERIFY_OVERRIDE_PIN = 5,
  REQUEST_REPORT_BLOCKED_TOOL = 6,
  // A linked computer's report of its own protection: text the state, extra the time it
  // happened (seconds since 1970, digits). Its result is never delivered.
  REQUEST_REPORT_PROTECTION = 7,
  // The Guardian PIN asked for by the lock: text the PIN, extra what it opens ("pause",
  // "close", "remove").
  REQUEST_VERIFY_GUARDIAN_LOCK = 8,
  // The app_status sent every 5 minutes (every minute for the hour after a tool was ended);
  // only an answer that says the computer is not linked changes the link.
  REQUEST_HEARTBEAT = 9,
  // A report kept while the service could not be reached, sent later: as
  // REQUEST_REPORT_PROTECTION, saying it was kept. Its result is never delivered.
  REQUEST_REPORT_KEPT_PROTECTION = 10
};

// The parsed answer of one request. Made zeroed on the heap (calloc) by the worker;
// released with free();
// once posted with WM_APP_RESULT it belongs to the window procedure, which frees it.
struct ServiceResult {
  uint32_t kind;
  int32_t http_status;
  int32_t ok;
  char verdict[24];
  int32_t risk_score;
  char headline[512];
  char reasons[1024];
  char advice[768];
  char error[512];
  char challenge_id[96];
  char masked_target[128];
  char care_auth_token[320];
  char customer_name[160];
  char plan_label[180];
  int32_t authenticated;
  int32_t not_authenticated; // "authenticated": false, in so many words
  int32_t entitled;
  int32_t recent_blocked_count;
  int32_t guardian_lock;     // key "guardian_lock"
  int32_t heartbeat_seconds; // how often the service wants to hear from it; 0 when not said
};

// What a worker thread is given. Made zeroed on the heap (calloc) on the main
// thread, owned and freed (free()) by the worker. The device label and token are
// copied in on the main thread so a worker never reads the shared state.
struct ServiceRequest {
  uint32_t kind;
  void* reply_window; // the main window (HWND) the result is posted to
  char text[6500];
  char extra[128];
  char device_label[128];
  char auth_token[320];
};
