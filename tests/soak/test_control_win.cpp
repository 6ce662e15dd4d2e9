#include "tests/soak/test_control_win.h"

#include <winhttp.h>

#include <cstring>

#include "app/vendor.h"

int post_test_control(const wchar_t* path, const char* json) {
  int status = 0;
  HINTERNET session = WinHttpOpen(L"callwarden-tests", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  HINTERNET connection =
      session ? WinHttpConnect(session, CALLWARDEN_SERVICE_HOST_W, INTERNET_DEFAULT_HTTPS_PORT, 0)
              : nullptr;
  HINTERNET request =
      connection ? WinHttpOpenRequest(connection, L"POST", path, nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE)
                 : nullptr;
  const DWORD length = static_cast<DWORD>(strlen(json));
  if (request != nullptr &&
      WinHttpSendRequest(request, L"Content-Type: application/json\r\n", static_cast<DWORD>(-1),
                         const_cast<char*>(json), length, length, 0) &&
      WinHttpReceiveResponse(request, nullptr)) {
    DWORD code = 0;
    DWORD size = sizeof(code);
    if (WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX)) {
      status = static_cast<int>(code);
    }
  }
  if (request) WinHttpCloseHandle(request);
  if (connection) WinHttpCloseHandle(connection);
  if (session) WinHttpCloseHandle(session);
  return status;
}
