#include <windows.h>

#include "service/service_protocol.h"
#include "service/service_transport.h"

void build_request_headers(const ServiceRequest* request, wchar_t* headers) {
  char text[SERVICE_HEADERS_CAPACITY];
  build_request_header_text(request, text, sizeof(text));
  ZeroMemory(headers, SERVICE_HEADERS_CAPACITY * sizeof(wchar_t));
  // The block is ASCII apart from the token; a token that is not UTF-8 is taken
  // in the system code page rather than lost.
  int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, headers, SERVICE_HEADERS_CAPACITY);
  if (units == 0) {
    units = MultiByteToWideChar(CP_ACP, 0, text, -1, headers, SERVICE_HEADERS_CAPACITY);
  }
  if (units == 0) {
    // Nothing convertible: send the request without a token rather than no headers.
    MultiByteToWideChar(CP_UTF8, 0, SERVICE_HEADERS_WITHOUT_TOKEN, -1, headers,
                        SERVICE_HEADERS_CAPACITY);
  }
  headers[SERVICE_HEADERS_CAPACITY - 1] = L'\0';
}
