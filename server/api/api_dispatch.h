#pragma once
// Checks one request to the API path and hands it to its action. Every
// refusal is an "ok":false answer with a plain-English "error" and changes
// nothing that is stored.
#include <cstdint>
#include <string>

#include "api/api_answer.h"
#include "core/service_context.h"

struct ApiRequest {
  std::string content_type;
  bool has_authorization;
  std::string authorization;
  std::string body;
  std::string client; // the client's address (client_address.h)
};

const size_t kMaxRequestBytes = 64 * 1024;

ApiAnswer handle_api_request(ServiceContext* context, const ApiRequest& request, int64_t now);
