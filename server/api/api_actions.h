#pragma once
// The six actions of the service. Each is called with the request body already checked to hold
// its members as strings; each borrows a database connection for its queries only, and
// requests run side by side.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "api/api_answer.h"
#include "core/service_context.h"
#include "store/store_family.h"

struct ActionInput {
  const nlohmann::json* body;
  bool linked;        // a token of a known account came with the request
  int64_t account_id; // that account, when linked
  DeviceLink device;  // the linked computer, when linked
  int64_t now;        // seconds since 1970
  std::string client; // the client's address, for the limits per network
};

// The text of a member the dispatcher has already checked.
const std::string& member_text(const ActionInput& input, const char* key);

ApiAnswer action_app_status(ServiceContext* context, const ActionInput& input);
ApiAnswer action_send_pin(ServiceContext* context, const ActionInput& input);
ApiAnswer action_verify_pin(ServiceContext* context, const ActionInput& input);
ApiAnswer action_check_scam(ServiceContext* context, const ActionInput& input);
ApiAnswer action_verify_override_pin(ServiceContext* context, const ActionInput& input);
ApiAnswer action_report_blocked_tool(ServiceContext* context, const ActionInput& input);
ApiAnswer action_report_protection(ServiceContext* context, const ActionInput& input);

#define STORE_FAILURE_TEXT                                                                         \
  "The service could not reach its records just now. Please try again in a moment."
// Longer labels and tool names than the program ever sends are refused.
const size_t kMaxLabelBytes = 255;
