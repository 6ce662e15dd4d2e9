// Parses arbitrary answers as the worker does and checks that every field of
// the result stays terminated within its width and keeps its documented shape.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "service/service_protocol.h"

namespace {

void require(bool condition) {
  if (!condition) abort();
}

template <size_t N> void require_terminated(const char (&field)[N]) {
  require(memchr(field, '\0', N) != nullptr);
}

// The joined reasons are empty or begin with a line "- item", and only come from
// an answer that names them.
void require_reasons_shape(const char* reasons, const char* answer) {
  if (reasons[0] == '\0') return;
  require(strncmp(reasons, "- ", 2) == 0 && reasons[2] != '\0');
  require(strstr(answer, "\"reasons\"") != nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size >= SERVICE_ANSWER_CAPACITY) return 0;
  char* answer = static_cast<char*>(malloc(size + 1));
  memcpy(answer, data, size);
  answer[size] = '\0';

  ServiceResult* result = static_cast<ServiceResult*>(malloc(sizeof(ServiceResult)));
  memset(result, 0, sizeof(ServiceResult));
  result->kind = REQUEST_CHECK_SCAM;
  result->http_status = 418;
  finish_service_result(result, 418, answer);

  require(result->kind == REQUEST_CHECK_SCAM);
  require(result->http_status == 418);
  require(result->ok == 0 || result->ok == 1);
  require(result->authenticated == 0 || result->authenticated == 1);
  require(result->entitled == 0 || result->entitled == 1);
  require_terminated(result->verdict);
  require_terminated(result->headline);
  require_terminated(result->reasons);
  require_terminated(result->advice);
  require_terminated(result->error);
  require_terminated(result->challenge_id);
  require_terminated(result->masked_target);
  require_terminated(result->care_auth_token);
  require_terminated(result->customer_name);
  require_terminated(result->plan_label);
  require_reasons_shape(result->reasons, answer);
  if (answer[0] == '\0') {
    require(result->ok == 0 && strncmp(result->error, "Unable to reach ", 16) == 0);
  }

  free(result);
  free(answer);
  return 0;
}
