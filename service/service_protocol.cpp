#include "service/service_protocol.h"

#include <cstdio>
#include <cstring>

#include "app/vendor.h"
#include "service/json_text.h"

namespace {

// Escaped forms are bounded by these, which keeps every body far below
// SERVICE_BODY_CAPACITY.
const size_t kEscapedLabelCapacity = 256;
const size_t kEscapedTextCapacity = 13500;
const size_t kEscapedExtraCapacity = 256;

const size_t kReasonItemCapacity = 320;
const int kMaxReasons = 4;

void copy_text(char* out, size_t capacity, const char* text) {
  size_t n = 0;
  while (n + 1 < capacity && text[n] != '\0') {
    out[n] = text[n];
    n++;
  }
  out[n] = '\0';
}

// Joins up to four non-empty strings of the "reasons" array as "- item" lines
// separated by CR LF. The scan does not follow nesting: anything between strings
// is skipped and the first ']' after an item ends the list.
void join_reasons(const char* answer, char* reasons, size_t capacity) {
  reasons[0] = '\0';
  const char* v = json_find_value(answer, "reasons");
  if (v == nullptr || *v != '[') return;
  if (v[1] == ']' || v[1] == '\0') return;
  size_t length = 0;
  int count = 0;
  const char* p = v + 1;
  for (;;) {
    while (*p != '"') {
      if (*p == ']' || *p == '\0') return;
      p++;
    }
    char item[kReasonItemCapacity] = {};
    p = json_read_string(p, item, sizeof(item));
    if (item[0] != '\0') {
      const size_t room = capacity - length;
      const int written =
          snprintf(reasons + length, room, "%s- %s", count == 0 ? "" : "\r\n", item);
      // A piece that was cut stays as cut; the next one would overwrite it, but
      // only the last of the four can ever be cut.
      if (written > 0 && static_cast<size_t>(written) < room)
        length += static_cast<size_t>(written);
      count++;
    }
    if (*p == '\0' || *p == ']' || count == kMaxReasons) return;
  }
}

bool is_digits(const char* text) {
  if (text[0] == '\0') return false;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
  }
  return true;
}

} // namespace

void build_request_body(const ServiceRequest* request, char* body) {
  char label[kEscapedLabelCapacity];
  char text[kEscapedTextCapacity];
  char extra[kEscapedExtraCapacity];
  json_escape(request->device_label, label, sizeof(label));
  json_escape(request->text, text, sizeof(text));
  json_escape(request->extra, extra, sizeof(extra));

  const size_t limit = SERVICE_BODY_CAPACITY - 1;
  body[0] = '\0';
  switch (request->kind) {
  case REQUEST_APP_STATUS:
  case REQUEST_HEARTBEAT:
    snprintf(body, limit, "{\"action\":\"app_status\",\"device_label\":\"%s\"}", label);
    break;
  case REQUEST_SEND_PIN:
    snprintf(body, limit, "{\"action\":\"send_pin\",\"identifier\":\"%s\"}", text);
    break;
  case REQUEST_VERIFY_PIN:
    snprintf(body, limit, "{\"action\":\"verify_pin\",\"challenge_id\":\"%s\",\"pin_code\":\"%s\"}",
             text, extra);
    break;
  case REQUEST_CHECK_SCAM:
    snprintf(body, limit, "{\"action\":\"check_scam\",\"text\":\"%s\",\"device_label\":\"%s\"}",
             text, label);
    break;
  case REQUEST_VERIFY_OVERRIDE_PIN:
    snprintf(body, limit,
             "{\"action\":\"verify_override_pin\",\"override_pin\":\"%s\",\"device_label\":\"%s\"}",
             text, label);
    break;
  case REQUEST_REPORT_BLOCKED_TOOL:
    snprintf(body, limit,
             "{\"action\":\"report_blocked_tool\",\"tool_name\":\"%s\",\"device_label\":\"%s\"}",
             text, label);
    break;
  case REQUEST_REPORT_PROTECTION:
  case REQUEST_REPORT_KEPT_PROTECTION:
    // The time is digits the program wrote itself; a missing one means "now".
    snprintf(body, limit,
             "{\"action\":\"report_protection\",\"state\":\"%s\",\"device_label\":\"%s\"%s%s%s}",
             text, label, is_digits(extra) ? ",\"at\":" : "", is_digits(extra) ? extra : "",
             request->kind == REQUEST_REPORT_KEPT_PROTECTION ? ",\"kept\":true" : "");
    break;
  case REQUEST_VERIFY_GUARDIAN_LOCK:
    snprintf(body, limit,
             "{\"action\":\"verify_override_pin\",\"override_pin\":\"%s\",\"device_label\":"
             "\"%s\",\"purpose\":\"%s\"}",
             text, label, extra);
    break;
  default: break;
  }
}

void build_request_header_text(const ServiceRequest* request, char* out, size_t capacity) {
  if (capacity == 0) return;
  if (request->auth_token[0] == '\0') {
    copy_text(out, capacity, SERVICE_HEADERS_WITHOUT_TOKEN);
    return;
  }
  snprintf(out, capacity, "%sAuthorization: Bearer %.*s\r\n", SERVICE_HEADERS_WITHOUT_TOKEN,
           static_cast<int>(sizeof(request->auth_token) - 1), request->auth_token);
}

void parse_service_answer(const char* answer, ServiceResult* result) {
  result->ok = json_get_bool(answer, "ok");
  json_get_string(answer, "error", result->error, sizeof(result->error));
  json_get_string(answer, "verdict", result->verdict, sizeof(result->verdict));
  result->risk_score = json_get_int(answer, "risk_score");
  json_get_string(answer, "headline", result->headline, sizeof(result->headline));
  join_reasons(answer, result->reasons, sizeof(result->reasons));
  json_get_string(answer, "advice", result->advice, sizeof(result->advice));
  json_get_string(answer, "challenge_id", result->challenge_id, sizeof(result->challenge_id));
  json_get_string(answer, "masked_target", result->masked_target, sizeof(result->masked_target));
  json_get_string(answer, "care_auth_token", result->care_auth_token,
                  sizeof(result->care_auth_token));
  json_get_string(answer, "customer_name", result->customer_name, sizeof(result->customer_name));
  json_get_string(answer, "plan_label", result->plan_label, sizeof(result->plan_label));
  result->authenticated = json_get_bool(answer, "authenticated");
  result->not_authenticated = json_is_false(answer, "authenticated");
  result->entitled = json_get_bool(answer, "entitled");
  result->recent_blocked_count = json_get_int(answer, "recent_blocked_count");
  result->guardian_lock = json_get_bool(answer, "guardian_lock");
  result->heartbeat_seconds = json_get_int(answer, "heartbeat_seconds");
}

void fill_unreachable_result(ServiceResult* result) {
  result->ok = 0;
  copy_text(result->error, sizeof(result->error),
            "Unable to reach " CALLWARDEN_SERVICE_HOST
            " right now. Please check your internet connection.");
}

void finish_service_result(ServiceResult* result, int status, const char* answer) {
  result->http_status = status;
  if (answer != nullptr && answer[0] != '\0') {
    parse_service_answer(answer, result);
  } else {
    fill_unreachable_result(result);
  }
}
