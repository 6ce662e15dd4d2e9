// Builds request bodies from arbitrary texts and reads the values back with the
// answer helpers: whatever the user types, the body stays one well-formed object
// whose members give back (a prefix of) what was sent.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "service/json_text.h"
#include "service/service_protocol.h"
#include "service/service_request.h"

namespace {

void require(bool condition) {
  if (!condition) abort();
}

// What the reader makes of an escaped source: CR LF for LF, a space for HT, no CR.
std::string as_read_back(const char* source) {
  std::string out;
  for (const char* p = source; *p != '\0'; p++) {
    if (*p == '\n')
      out += "\r\n";
    else if (*p == '\t')
      out += ' ';
    else if (*p != '\r')
      out += *p;
  }
  return out;
}

size_t escaped_size(const char* source) {
  size_t size = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(source); *p; p++) {
    if (*p == '"' || *p == '\\' || *p == '\n' || *p == '\r' || *p == '\t')
      size += 2;
    else if (*p < 0x20)
      size += 6;
    else
      size += 1;
  }
  return size;
}

// `capacity` is the size of the buffer the value is escaped into.
void require_member(const char* body, const char* key, const char* sent, size_t capacity) {
  static char got[SERVICE_BODY_CAPACITY];
  json_get_string(body, key, got, sizeof(got));
  const std::string expected = as_read_back(sent);
  // An escaped form that reaches its buffer's limit is cut, so only a prefix comes back.
  require(expected.compare(0, strlen(got), got) == 0);
  if (escaped_size(sent) + 8 <= capacity) require(expected == got);
}

// Splits the input at the first two 0xFF bytes into text, extra and label.
std::string take_part(const uint8_t** data, size_t* size) {
  const uint8_t* end = static_cast<const uint8_t*>(memchr(*data, 0xFF, *size));
  const size_t length = end ? static_cast<size_t>(end - *data) : *size;
  std::string part(reinterpret_cast<const char*>(*data), length);
  part = part.c_str(); // an embedded NUL ends the text as it would in the program
  const size_t used = end ? length + 1 : length;
  *data += used;
  *size -= used;
  return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const RequestKind kind = static_cast<RequestKind>(1 + data[0] % 10);
  data++;
  size--;
  const std::string text = take_part(&data, &size);
  const std::string extra = take_part(&data, &size);
  const std::string label = take_part(&data, &size);

  static ServiceRequest request;
  memset(&request, 0, sizeof(request));
  prepare_service_request(&request, kind, nullptr, text.c_str(), extra.c_str(), label.c_str(),
                          "ocp_fuzz");
  static char body[SERVICE_BODY_CAPACITY];
  memset(body, 0x5A, sizeof(body));
  build_request_body(&request, body);
  require(memchr(body, '\0', sizeof(body) - 1) != nullptr);
  const size_t length = strlen(body);
  require(length > 0 && body[0] == '{' && body[length - 1] == '}');
  for (size_t i = 0; i < length; i++)
    require(static_cast<unsigned char>(body[i]) >= 0x20);

  static const char* const kActions[] = {"",
                                         "app_status",
                                         "send_pin",
                                         "verify_pin",
                                         "check_scam",
                                         "verify_override_pin",
                                         "report_blocked_tool",
                                         "report_protection",
                                         "verify_override_pin",
                                         "app_status",
                                         "report_protection"};
  char action[32];
  json_get_string(body, "action", action, sizeof(action));
  require(strcmp(action, kActions[kind]) == 0);

  switch (kind) {
  case REQUEST_APP_STATUS:
  case REQUEST_HEARTBEAT: require_member(body, "device_label", request.device_label, 256); break;
  case REQUEST_SEND_PIN: require_member(body, "identifier", request.text, 13500); break;
  case REQUEST_VERIFY_PIN:
    require_member(body, "challenge_id", request.text, 13500);
    require_member(body, "pin_code", request.extra, 256);
    break;
  case REQUEST_CHECK_SCAM:
    require_member(body, "text", request.text, 13500);
    require_member(body, "device_label", request.device_label, 256);
    break;
  case REQUEST_VERIFY_OVERRIDE_PIN:
    require_member(body, "override_pin", request.text, 13500);
    require_member(body, "device_label", request.device_label, 256);
    break;
  case REQUEST_REPORT_BLOCKED_TOOL:
    require_member(body, "tool_name", request.text, 13500);
    require_member(body, "device_label", request.device_label, 256);
    break;
  case REQUEST_REPORT_PROTECTION:
  case REQUEST_REPORT_KEPT_PROTECTION:
    require_member(body, "state", request.text, 13500);
    require_member(body, "device_label", request.device_label, 256);
    // The time goes only as the digits the program wrote; anything else would break out of it.
    require(
        (strstr(body, "\"at\":") != nullptr) ==
        (request.extra[0] != '\0' && strspn(request.extra, "0123456789") == strlen(request.extra)));
    require((strstr(body, "\"kept\":true}") != nullptr) ==
            (kind == REQUEST_REPORT_KEPT_PROTECTION));
    break;
  case REQUEST_VERIFY_GUARDIAN_LOCK:
    require_member(body, "override_pin", request.text, 13500);
    require_member(body, "device_label", request.device_label, 256);
    require_member(body, "purpose", request.extra, 256);
    break;
  }
  return 0;
}
