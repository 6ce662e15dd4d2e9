#pragma once
// The Windows side of one request: the header block in UTF-16 and the HTTPS
// exchange. Declared without <windows.h> so pure code may name them.
#include <cstddef>

#include "service/service_types.h"

// The request's header block as UTF-16 into `headers` (SERVICE_HEADERS_CAPACITY units).
void build_request_headers(const ServiceRequest* request, wchar_t* headers);

// One POST of `body` to `host` on port 443 over TLS with the platform's default
// certificate checks. On success returns 1 with at most answer_capacity - 1 bytes
// of answer, terminated, in `answer` and the HTTP status in `*status` (0 when it
// could not be read). Returns 0 when no answer came (no network, name not
// resolved, TLS refused, a timeout); `answer` is then left as it was.
int service_exchange(const wchar_t* host, const wchar_t* headers, const char* body, char* answer,
                     size_t answer_capacity, int* status);
