#pragma once
// What is sent to the service and how its answer becomes a ServiceResult.
// Reads only the request and the answer, so it runs on any worker thread.
#include <cstddef>

#include "service/service_types.h"

#define SERVICE_BODY_CAPACITY 16384
#define SERVICE_ANSWER_CAPACITY 32768
#define SERVICE_HEADERS_CAPACITY 512

#define SERVICE_PATH "/callwarden_api.php"
#define SERVICE_USER_AGENT "OlvexCallwarden/1.0 (Windows NT x64)"
#define SERVICE_HEADERS_WITHOUT_TOKEN                                                              \
  "Content-Type: application/json; charset=utf-8\r\nAccept: application/json\r\n"

// The JSON body for the request's kind into `body` (SERVICE_BODY_CAPACITY bytes);
// empty for an unknown kind.
void build_request_body(const ServiceRequest* request, char* body);

// The extra request headers as UTF-8, with an Authorization line when the request
// carries a token. `capacity` of SERVICE_HEADERS_CAPACITY always suffices.
void build_request_header_text(const ServiceRequest* request, char* out, size_t capacity);

// Fills every field from `ok` to `recent_blocked_count` from a non-empty answer;
// `kind` and `http_status` are left alone.
void parse_service_answer(const char* answer, ServiceResult* result);

// The result of a request that got no usable answer.
void fill_unreachable_result(ServiceResult* result);

// Finishes a result after the exchange: `status` is the HTTP status (0 when no
// answer came), `answer` the text read (empty when none).
void finish_service_result(ServiceResult* result, int status, const char* answer);
