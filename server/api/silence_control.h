#pragma once
// Test control: POST /test/silence_limits shortens the silence limits of a running service, so
// that a test of the real program need not wait 20 minutes; /test/reset puts back the ones it
// was started with.
#include <string>

#include "core/silence_rules.h"

// Reads {"silent_after":S,"silent_after_threat":T}, either member optional, into `limits`
// (which keeps what is not given). 0 with a plain-English `error` for a value out of range.
int parse_silence_control(const std::string& json_text, SilenceLimits* limits, std::string* error);
