// app_status, verify_override_pin and report_blocked_tool: what a linked
// device asks of its account.
#include "alerts/alert_raise.h"
#include "api/abuse_limits.h"
#include "api/api_actions.h"
#include "api/guardian_pin_rules.h"
#include "store/store_limit_count.h"
#include "store/store_pool.h"
#include "store/store_protection.h"
#include "store/store_silence.h"

namespace {

const int64_t kReportWindowSeconds = 30 * 24 * 60 * 60;
const int kGuardianTries = 5;
// Wrong PINs in a row after which the family is told.
const int kGuardianAlertAfter = 3;
const int64_t kDaySeconds = 24 * 60 * 60;
// Wrong PINs typed on one computer in a day, however the lock-outs fall.
const LimitRule kGuardianTriesPerComputer = {
    "guardian_pin_computer", {{20, kDaySeconds}, {0, 0}}, 1};

const char* const kNotLinked = "This computer is not linked to an account, so there is no Guardian "
                               "PIN to check. Please sign in first.";
const char* const kReportNotLinked =
    "This computer is not signed in, so there is no family to tell. Please sign in first.";
const char* const kBadGuardianForm = "The Guardian PIN must be exactly 4 digits.";
const char* const kNoGuardianPin =
    "No Guardian PIN has been set for this account yet. Ask your Family Guardian to set one.";
const char* const kWrongGuardianPin = "That Guardian PIN is not right. Please try again.";
const char* const kBadPurpose = "The \"purpose\" of a Guardian PIN must be pause, close or remove.";
const char* const kGuardianLocked = "Too many wrong Guardian PINs.";
const char* const kComputerLocked = "Too many wrong Guardian PINs have been typed on this computer "
                                    "today.";

std::string trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

AlertFacts facts_of(const ActionInput& input, AlertKind kind) {
  AlertFacts facts;
  facts.kind = kind;
  facts.device_label = member_text(input, "device_label");
  facts.person_name = input.device.person_name;
  facts.at = input.now;
  facts.device_key = input.device.link_id;
  return facts;
}

// What happened is kept for the family page; losing it must not refuse the override.
void note_override(ServiceStore* store, const ActionInput& input, const char* kind) {
  store_add_event(store, input.account_id, kind, std::string(), member_text(input, "device_label"),
                  input.now);
}

ApiAnswer guardian_locked(ServiceContext* context, const char* limit, const char* text,
                          int64_t wait) {
  metrics_note_limit(&context->metrics, limit);
  if (wait < 1) wait = 1;
  return limited_answer(
      std::string(text) + " Please wait " + wait_in_words(wait) + " and try again.", wait);
}

std::string lockouts_key(int64_t account_id) {
  return "guardian_lockouts:account:" + std::to_string(account_id);
}

} // namespace

ApiAnswer action_app_status(ServiceContext* context, const ActionInput& input) {
  nlohmann::ordered_json members;
  if (!input.linked) {
    members["authenticated"] = false;
    members["entitled"] = false;
    members["recent_blocked_count"] = 0;
    members["guardian_lock"] = false;
    return ok_answer(200, members);
  }
  StoreLease lease(context->store);
  ServiceStore* store = lease.get();
  Account account;
  int reports = 0;
  // The token was found a moment ago: an account that cannot be read now is a store that
  // failed, never a computer that is not linked.
  if (!store || store_account_status(store, input.account_id, input.now - kReportWindowSeconds,
                                     &account, &reports) != Lookup::kFound)
    return unavailable_answer(STORE_FAILURE_TEXT);
  // A computer last reported closed, removed, shut down or asleep that asks for its status runs
  // again, and is watched for silence again; the others are left unwritten, since every
  // status call passes here.
  if (protection_state_ends_with_a_call(input.device.protection_state))
    store_note_running_again(
        store, input.device.link_id, input.now,
        silence_deadline(silence_limits(*context), input.now, input.device.threat_at));
  members["authenticated"] = true;
  members["entitled"] = account.entitled;
  members["customer_name"] = account.customer_name;
  members["plan_label"] = account.plan_label;
  members["recent_blocked_count"] = reports;
  members["guardian_lock"] = input.device.guardian_lock;
  members["heartbeat_seconds"] =
      heartbeat_seconds(silence_limits(*context), input.now, input.device.threat_at);
  return ok_answer(200, members);
}

ApiAnswer action_verify_override_pin(ServiceContext* context, const ActionInput& input) {
  if (!input.linked) return error_answer(401, kNotLinked);
  const std::string& pin = member_text(input, "override_pin");
  if (!is_four_digits(pin)) return error_answer(400, kBadGuardianForm);
  // With a "purpose" the PIN opens the Guardian lock for one pause, exit or removal, which
  // the computer then reports itself; without one it starts the hour's override.
  const std::string& purpose = member_text(input, "purpose");
  const bool for_lock = input.body->contains("purpose");
  if (for_lock && purpose != "pause" && purpose != "close" && purpose != "remove")
    return error_answer(400, kBadPurpose);
  StoreLease lease(context->store);
  ServiceStore* store = lease.get();
  Account account;
  if (!store || store_find_account_by_id(store, input.account_id, &account) != Lookup::kFound) {
    return error_answer(500, STORE_FAILURE_TEXT);
  }
  if (account.guardian_pin_digest.empty()) return error_answer(403, kNoGuardianPin);
  // The try is counted before the PIN is compared, against the computer's day and the
  // account's tries in a row: tries sent at once cannot get more compared than allowed.
  int64_t computer_try = 0;
  int64_t wait = 0;
  LimitOutcome outcome =
      limit_take(store, kGuardianTriesPerComputer, "guardian_tries:link:" + input.device.link_id,
                 input.now, &computer_try, &wait);
  if (outcome == kLimitFailed) return error_answer(500, STORE_FAILURE_TEXT);
  if (outcome == kLimitRefused) {
    note_override(store, input, "override_refused");
    return guardian_locked(context, kGuardianTriesPerComputer.name, kComputerLocked, wait);
  }
  int attempt = 0;
  if (!store_start_guardian_try(store, account.id, input.now, &attempt)) {
    store_remove_limit_event(store, computer_try);
    return error_answer(500, STORE_FAILURE_TEXT);
  }
  if (attempt == 0 || attempt > kGuardianTries) {
    // Not compared, so not a wrong PIN of this computer's day.
    store_remove_limit_event(store, computer_try);
    note_override(store, input, "override_refused");
    return guardian_locked(context, "guardian_pin", kGuardianLocked,
                           account.guardian_locked_until - input.now);
  }
  if (store_guardian_pin_matches(store, account, pin)) {
    store_remove_limit_event(store, computer_try);
    if (!store_set_guardian_failures(store, account.id, 0, 0) ||
        !store_clear_limit_events(store, lockouts_key(account.id)))
      return error_answer(500, STORE_FAILURE_TEXT);
    if (!for_lock) {
      note_override(store, input, "override_used");
      raise_alert(context, store, account.id, facts_of(input, kAlertOverrideStarted));
    }
    return ok_answer(200, nlohmann::ordered_json::object());
  }
  note_override(store, input, "override_refused");
  if (attempt == kGuardianAlertAfter)
    raise_alert(context, store, account.id, facts_of(input, kAlertWrongPins));
  if (attempt < kGuardianTries) return error_answer(401, kWrongGuardianPin);
  // Four digits are quickly guessed: each lock-out in a day is longer than the one before.
  int64_t earlier = 0;
  int64_t event = 0;
  if (!store_limit_event_count(store, lockouts_key(account.id), input.now - kDaySeconds + 1,
                               &earlier) ||
      !store_add_limit_event(store, lockouts_key(account.id), input.now, &event))
    return error_answer(500, STORE_FAILURE_TEXT);
  const int64_t seconds = guardian_lock_seconds(static_cast<int>(earlier));
  if (!store_set_guardian_failures(store, account.id, 0, input.now + seconds))
    return error_answer(500, STORE_FAILURE_TEXT);
  AlertFacts locked = facts_of(input, kAlertPinLocked);
  locked.locked_seconds = seconds;
  raise_alert(context, store, account.id, locked);
  return guardian_locked(context, "guardian_pin", kGuardianLocked, seconds);
}

ApiAnswer action_report_blocked_tool(ServiceContext* context, const ActionInput& input) {
  // Only a linked computer's reports are kept: they are for its family, and nobody else's.
  if (!input.linked) return error_answer(401, kReportNotLinked);
  std::string tool = trimmed(member_text(input, "tool_name"));
  if (tool.empty()) return error_answer(400, "The report does not name the tool that was blocked.");
  if (tool.size() > kMaxLabelBytes) return error_answer(400, "The tool name is too long.");
  if (member_text(input, "device_label").size() > kMaxLabelBytes) {
    return error_answer(400, "The computer's name is too long.");
  }
  StoreLease lease(context->store);
  ServiceStore* store = lease.get();
  if (!store || !store_add_report(store, input.account_id, tool, member_text(input, "device_label"),
                                  input.now)) {
    return error_answer(500, STORE_FAILURE_TEXT);
  }
  AlertFacts facts = facts_of(input, kAlertToolStopped);
  facts.tool_name = tool;
  raise_alert(context, store, input.account_id, facts);
  // For the hour after a blocked tool, a computer that goes quiet is alerted sooner.
  store_note_threat(store, input.device.link_id, input.now,
                    silence_deadline(silence_limits(*context), input.now, input.now));
  return ok_answer(200, nlohmann::ordered_json::object());
}
