#include <windows.h>
#include <winhttp.h>

#include <cstring>

#include "app/vendor.h"
#include "service/service_protocol.h"
#include "service/service_transport.h"

namespace {

const int kResolveTimeoutMs = 6000;
const int kConnectTimeoutMs = 6000;
const int kSendTimeoutMs = 15000;
const int kReceiveTimeoutMs = 24000;

// Reads until the answer ends or the buffer is full. The rest of a longer answer
// is never read; closing the handles then drops the connection.
size_t read_answer(HINTERNET request, char* answer, size_t answer_capacity) {
  const size_t limit = answer_capacity - 1;
  size_t total = 0;
  for (;;) {
    DWORD ready = 0;
    if (!WinHttpQueryDataAvailable(request, &ready) || ready == 0) break;
    if (total >= limit) break;
    if (total + ready > limit) ready = static_cast<DWORD>(limit - total);
    DWORD got = 0;
    if (!WinHttpReadData(request, answer + total, ready, &got) || got == 0) break;
    total += got;
  }
  answer[total] = '\0';
  return total;
}

int query_status(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return 0;
  }
  return static_cast<int>(status);
}

} // namespace

int service_exchange(const wchar_t* host, const wchar_t* headers, const char* body, char* answer,
                     size_t answer_capacity, int* status) {
  // A fresh session per request: no cookies or connections are shared between requests.
  HINTERNET session =
      WinHttpOpen(CALLWARDEN_WIDEN(SERVICE_USER_AGENT), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (session == nullptr) return 0;
  WinHttpSetTimeouts(session, kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs,
                     kReceiveTimeoutMs);

  HINTERNET connection = WinHttpConnect(session, host, INTERNET_DEFAULT_HTTPS_PORT, 0);
  if (connection == nullptr) {
    WinHttpCloseHandle(session);
    return 0;
  }
  // WINHTTP_FLAG_SECURE with no security options: the platform's certificate
  // checks (chain, name, dates) all stay on.
  HINTERNET request =
      WinHttpOpenRequest(connection, L"POST", CALLWARDEN_WIDEN(SERVICE_PATH), nullptr,
                         WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE);
  if (request == nullptr) {
    WinHttpCloseHandle(connection);
    WinHttpCloseHandle(session);
    return 0;
  }

  const DWORD body_length = static_cast<DWORD>(strlen(body));
  const BOOL sent = WinHttpSendRequest(request, headers, static_cast<DWORD>(-1),
                                       const_cast<char*>(body), body_length, body_length, 0);
  if (!sent || !WinHttpReceiveResponse(request, nullptr)) {
    WinHttpCloseHandle(request);
    WinHttpCloseHandle(connection);
    WinHttpCloseHandle(session);
    return 0;
  }

  *status = query_status(request);
  read_answer(request, answer, answer_capacity);
  WinHttpCloseHandle(request);
  WinHttpCloseHandle(connection);
  WinHttpCloseHandle(session);
  return 1;
}
