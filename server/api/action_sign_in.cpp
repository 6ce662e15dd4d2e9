// send_pin and verify_pin: linking a device to an account by a code.
#include "api/api_actions.h"
#include "api/code_flow.h"
#include "base/identifier.h"
#include "base/secure_random.h"

namespace {

const char* const kBadIdentifier =
    "Please enter a valid email address or UK mobile number (07...).";

ApiAnswer refusal(const CodeResult& result) {
  if (result.status == 429) return limited_answer(result.error, result.retry_after);
  if (result.status == 503) return unavailable_answer(result.error);
  return error_answer(result.status, result.error);
}

} // namespace

ApiAnswer action_send_pin(ServiceContext* context, const ActionInput& input) {
  std::string identifier;
  if (!normalise_identifier(member_text(input, "identifier"), &identifier))
    return error_answer(400, kBadIdentifier);
  StoreLease lease(context->store);
  ServiceStore* store = lease.get();
  if (!store) return error_answer(500, STORE_FAILURE_TEXT);
  CodeResult sent =
      send_code(context, store, identifier, 0, kCodeForSignIn, input.client, input.now);
  if (sent.status != 200) return refusal(sent);
  nlohmann::ordered_json members;
  members["challenge_id"] = sent.challenge.id;
  members["masked_target"] = mask_identifier(identifier);
  return ok_answer(200, members);
}

ApiAnswer action_verify_pin(ServiceContext* context, const ActionInput& input) {
  StoreLease lease(context->store);
  ServiceStore* store = lease.get();
  if (!store) return error_answer(500, STORE_FAILURE_TEXT);
  CodeResult checked =
      check_code(context, store, member_text(input, "challenge_id"), member_text(input, "pin_code"),
                 kCodeForSignIn, input.client, input.now);
  if (checked.status != 200) return refusal(checked);

  std::string random_part;
  if (!random_hex(16, &random_part))
    return error_answer(500, "The service could not sign you in just now.");
  std::string token = "ocp_" + random_part;
  Account account;
  // Linking is the computer's first call: from now on its silence is noticed.
  const int64_t silent_at = silence_deadline(silence_limits(*context), input.now, 0);
  if (!store_add_token(store, token, checked.challenge.account_id, input.now, silent_at) ||
      store_find_account_by_id(store, checked.challenge.account_id, &account) != Lookup::kFound) {
    return error_answer(500, STORE_FAILURE_TEXT);
  }
  nlohmann::ordered_json members;
  members["care_auth_token"] = token;
  members["customer_name"] = account.customer_name;
  members["plan_label"] = account.plan_label;
  members["entitled"] = account.entitled;
  return ok_answer(200, members);
}
