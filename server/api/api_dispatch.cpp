#include "api/api_dispatch.h"

#include "alerts/silence_watch.h"
#include "api/api_actions.h"
#include "api/bearer_token.h"
#include "base/utf8_repair.h"
#include "store/store_family.h"
#include "store/store_pool.h"

namespace {

// How an action treats the device's token.
enum TokenUse {
  kTokenIgnored,  // signing in: a stale token must not stand in the way
  kTokenReported, // app_status: an unknown token only means "not linked"
  kTokenOptional, // used when given; an unknown one is refused
};

struct ApiAction {
  const char* name;
  const char* members[3]; // required string members, ending with null
  TokenUse token_use;
  ApiAnswer (*handler)(ServiceContext*, const ActionInput&);
};

const ApiAction kActions[] = {
    {"app_status", {"device_label", nullptr, nullptr}, kTokenReported, action_app_status},
    {"send_pin", {"identifier", nullptr, nullptr}, kTokenIgnored, action_send_pin},
    {"verify_pin", {"challenge_id", "pin_code", nullptr}, kTokenIgnored, action_verify_pin},
    {"check_scam", {"text", "device_label", nullptr}, kTokenOptional, action_check_scam},
    {"verify_override_pin",
     {"override_pin", "device_label", nullptr},
     kTokenOptional,
     action_verify_override_pin},
    {"report_blocked_tool",
     {"tool_name", "device_label", nullptr},
     kTokenOptional,
     action_report_blocked_tool},
    {"report_protection",
     {"state", "device_label", nullptr},
     kTokenOptional,
     action_report_protection},
};

const char* const kTooLarge = "The request is too large: it can be at most 64 KiB.";
const char* const kNotJsonType =
    "The request must be sent as JSON (Content-Type: application/json).";
const char* const kNotJson = "The request is not valid JSON.";
const char* const kNotObject = "The request must be a JSON object.";
const char* const kNoAction = "The request does not say which action to take (\"action\").";
const char* const kLabelTooLong = "The computer's name is too long.";
const char* const kBadToken =
    "The sign-in token of this computer is not valid. Please sign in again.";
const char* const kUnknownToken =
    "This computer's sign-in is no longer recognised. Please sign in again.";

bool is_json_media_type(const std::string& content_type) {
  std::string media = content_type.substr(0, content_type.find(';'));
  size_t first = media.find_first_not_of(" \t");
  size_t last = media.find_last_not_of(" \t");
  if (first == std::string::npos) return false;
  media = media.substr(first, last - first + 1);
  for (char& c : media) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return media == "application/json";
}

const ApiAction* find_action(const std::string& name) {
  for (const ApiAction& action : kActions) {
    if (name == action.name) return &action;
  }
  return nullptr;
}

// Keeps an echoed name short and printable.
std::string shown_name(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (out.size() >= 40) return out + "...";
    out.push_back(c >= 0x20 && c < 0x7F ? c : '?');
  }
  return out;
}

nlohmann::json parse_body(const std::string& body) {
  nlohmann::json doc = nlohmann::json::parse(body, nullptr, false);
  if (doc.is_discarded()) doc = nlohmann::json::parse(repair_utf8(body), nullptr, false);
  return doc;
}

ApiAnswer named(ApiAnswer answer, const ApiAction* action) {
  answer.action = action->name;
  return answer;
}

} // namespace

const std::string& member_text(const ActionInput& input, const char* key) {
  static const std::string kEmpty;
  auto it = input.body->find(key);
  if (it == input.body->end() || !it->is_string()) return kEmpty;
  return it->get_ref<const std::string&>();
}

ApiAnswer handle_api_request(ServiceContext* context, const ApiRequest& request, int64_t now) {
  if (request.body.size() > kMaxRequestBytes) return error_answer(413, kTooLarge);
  if (!is_json_media_type(request.content_type)) return error_answer(415, kNotJsonType);
  nlohmann::json body = parse_body(request.body);
  if (body.is_discarded()) return error_answer(400, kNotJson);
  if (!body.is_object()) return error_answer(400, kNotObject);
  auto action_member = body.find("action");
  if (action_member == body.end() || !action_member->is_string())
    return error_answer(400, kNoAction);
  const std::string& name = action_member->get_ref<const std::string&>();
  const ApiAction* action = find_action(name);
  if (!action) return error_answer(404, "Unknown action \"" + shown_name(name) + "\".");
  for (const char* const* member = action->members; *member; ++member) {
    auto it = body.find(*member);
    if (it == body.end() || !it->is_string()) {
      return named(
          error_answer(400, std::string("The request is missing \"") + *member + "\" (a text)."),
          action);
    }
  }

  // The label is checked before anything is stored, whatever the action: even a status call
  // keeps it for the family page.
  auto label = body.find("device_label");
  if (label != body.end() && label->is_string() &&
      label->get_ref<const std::string&>().size() > kMaxLabelBytes)
    return named(error_answer(400, kLabelTooLong), action);

  ActionInput input{&body, false, 0, DeviceLink(), now, request.client};
  if (action->token_use != kTokenIgnored) {
    std::string token;
    TokenState state = read_bearer_token(request.has_authorization, request.authorization, &token);
    if (state == kMalformedToken) return named(error_answer(401, kBadToken), action);
    if (state == kWellFormedToken) {
      // A token that could not be looked up is not an unknown one: the computer must not take
      // the answer for "not linked" and drop its Guardian lock.
      StoreLease lease(context->store);
      const Lookup found =
          lease.get() ? store_find_device(lease.get(), token, &input.device) : Lookup::kFailed;
      if (found == Lookup::kFailed) return named(unavailable_answer(STORE_FAILURE_TEXT), action);
      input.linked = found == Lookup::kFound;
      input.account_id = input.device.account_id;
      // What the family page shows of the computer: every action carries its label (kept when
      // it changes) and says the computer was heard from (kept at most once a minute).
      if (input.linked)
        note_heard_from(context, lease.get(), input.device, member_text(input, "device_label"),
                        now);
      if (!input.linked && action->token_use == kTokenOptional)
        return named(error_answer(401, kUnknownToken), action);
    }
  }
  return named(action->handler(context, input), action);
}
