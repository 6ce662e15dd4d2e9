#include <windows.h>

#include <cstdlib>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/vendor.h"
#include "service/request_worker.h"
#include "service/service_protocol.h"
#include "service/service_request.h"
#include "service/service_transport.h"
#include "service/service_worker.h"

namespace {

DWORD WINAPI service_thread_entry(LPVOID parameter) {
  // The request passed from start_service_request to this thread; service_worker frees it.
  if (parameter != nullptr) service_worker(static_cast<ServiceRequest*>(parameter));
  return 0;
}

// Hands the result to the window procedure, which frees it after its handler ran.
// Anything that cannot be delivered is freed here.
void deliver_result(ServiceResult* result, RequestKind kind, HWND reply_window) {
  if (kind != REQUEST_REPORT_BLOCKED_TOOL && reply_window != nullptr && IsWindow(reply_window) &&
      PostMessageW(reply_window, WM_APP_RESULT, 0, reinterpret_cast<LPARAM>(result))) {
    // Ownership of `result` passed to the window procedure with the posted message.
    return;
  }
  free(result);
}

} // namespace

int start_service_request(RequestKind kind, const char* text, const char* extra) {
  ServiceRequest* request = static_cast<ServiceRequest*>(calloc(1, sizeof(ServiceRequest)));
  if (request == nullptr) return 0;
  // The token and label are copied here, on the main thread, because a verified
  // PIN may replace the token while the worker is still sending.
  prepare_service_request(request, kind, g_app.main_window, text, extra, g_app.device_label,
                          g_app.auth_token);
  HANDLE thread = CreateThread(nullptr, 0, service_thread_entry, request, 0, nullptr);
  if (thread == nullptr) {
    free(request);
    return 0;
  }
  // From here the request belongs to the worker thread, which frees it. Nobody
  // waits for the thread, so its handle is not needed.
  CloseHandle(thread);
  return 1;
}

void service_worker(ServiceRequest* request) {
  service_worker_to_host(request, CALLWARDEN_SERVICE_HOST_W);
}

void service_worker_to_host(ServiceRequest* request, const wchar_t* host) {
  // The worker owns the request and everything allocated below; the result alone
  // may leave through deliver_result.
  ServiceResult* result = static_cast<ServiceResult*>(calloc(1, sizeof(ServiceResult)));
  if (result == nullptr) {
    free(request);
    return;
  }
  result->kind = request->kind;
  char* body = static_cast<char*>(calloc(SERVICE_BODY_CAPACITY, 1));
  char* answer = static_cast<char*>(calloc(SERVICE_ANSWER_CAPACITY, 1));
  if (body == nullptr || answer == nullptr) {
    free(body);
    free(answer);
    free(result);
    free(request);
    return;
  }

  build_request_body(request, body);
  wchar_t headers[SERVICE_HEADERS_CAPACITY];
  build_request_headers(request, headers);

  int status = 0;
  if (service_exchange(host, headers, body, answer, SERVICE_ANSWER_CAPACITY, &status)) {
    // An empty answer still counts as unreachable, but keeps its status.
    finish_service_result(result, status, answer);
  } else {
    finish_service_result(result, 0, "");
  }

  const RequestKind kind = static_cast<RequestKind>(request->kind);
  HWND reply_window = static_cast<HWND>(request->reply_window);
  free(body);
  free(answer);
  free(request);
  deliver_result(result, kind, reply_window);
}
