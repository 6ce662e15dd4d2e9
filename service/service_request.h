#pragma once
// Filling a ServiceRequest: everything a worker needs is copied in on the main
// thread, so the worker reads no shared state while the main thread goes on.
#include <cstddef>

#include "service/service_types.h"

// Longest prefix of `text`, at most `limit` bytes, that does not end inside a
// UTF-8 character. A cut that would split a character goes back to its first
// byte; text that is not valid UTF-8 at the cut is cut at `limit`.
size_t utf8_whole_prefix_length(const char* text, size_t limit);

// Fills a zeroed request. Each text (null counts as empty) is cut to its field
// width - 1 at a whole character and terminated.
void prepare_service_request(ServiceRequest* request, RequestKind kind, void* reply_window,
                             const char* text, const char* extra, const char* device_label,
                             const char* auth_token);
