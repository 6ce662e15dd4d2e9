#include "alerts/pin_outbox.h"

#include <cstdio>

#include "base/clock_text.h"
#include "base/identifier.h"
#include "base/request_log.h"

int deliver_sign_in_code(const std::string& outbox_file, const std::string& identifier,
                         const std::string& code, const std::string& challenge_id,
                         const std::string& purpose, int64_t now) {
  // The operator's log learns that a code went out, never the code.
  std::printf("sign-in code sent to %s (challenge %s)\n", mask_identifier(identifier).c_str(),
              challenge_id.c_str());
  std::fflush(stdout);
  std::string line = "{\"time\":" + json_quote_bytes(utc_timestamp(now)) +
                     ",\"identifier\":" + json_quote_bytes(identifier) +
                     ",\"code\":" + json_quote_bytes(code) +
                     ",\"challenge_id\":" + json_quote_bytes(challenge_id) +
                     ",\"purpose\":" + json_quote_bytes(purpose) + "}";
  return append_log_line(outbox_file, line);
}
