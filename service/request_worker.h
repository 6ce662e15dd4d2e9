#pragma once
#include "service/service_types.h"

// Starts one request on a thread of its own; main thread only. Copies both texts
// before returning. Non-zero when the worker was started.
int start_service_request(RequestKind kind, const char* text, const char* extra);
