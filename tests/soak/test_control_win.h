#pragma once
// The test service's control (/test/reset, /test/next_answer), reached over the same trusted
// HTTPS the program uses; shared by the soak driver and the e2e tests.
#include <windows.h>

// POSTs `json` to `path`; the HTTP status, or 0 when no answer came.
int post_test_control(const wchar_t* path, const char* json);
