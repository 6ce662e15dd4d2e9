// report_protection: a linked computer says its protection was paused, switched back on,
// closed, removed, ended without being closed, or no longer starts with Windows, or that
// Windows is shutting down or going to sleep. Each report is kept for the family page at its own
// time, and most of them alert the family; a shutdown and sleep never do.
#include "alerts/alert_raise.h"
#include "alerts/protection_alert_text.h"
#include "api/api_actions.h"
#include "store/store_pool.h"
#include "store/store_protection.h"

namespace {

// A switched-back-on alert follows a pause alert sent within this time; otherwise the family
// has nothing to be reassured about.
const int64_t kResumedAlertAfterPauseSeconds = 60 * 60;

const char* const kNotLinked = "This computer is not linked to an account. Please sign in first.";
const char* const kUnknownState =
    "The report's \"state\" must be one of paused, resumed, closed, removed, ended_unexpectedly, "
    "autostart_off, shutdown or suspended.";
const char* const kBadKept = "The report's \"kept\" must be true or false.";
const char* const kBadTime =
    "The report's \"at\" must be a whole number of seconds since 1970 (UTC).";

bool known_state(const std::string& state) {
  AlertKind kind;
  return state == "resumed" || state == PROTECTION_SHUTDOWN || state == PROTECTION_SUSPENDED ||
         alert_kind_of_state(state, &kind);
}

// When it happened: the report's own time, never later than now (a computer's clock may run
// ahead). -1 for a time that is not a whole number of seconds.
int64_t report_time(const ActionInput& input) {
  auto it = input.body->find("at");
  if (it == input.body->end()) return input.now;
  if (!it->is_number_integer()) return -1;
  const int64_t at = it->get<int64_t>();
  if (at < 0) return -1;
  return at < input.now ? at : input.now;
}

// The state the family page shows after this report; nullptr when it changes nothing
// (a report of not starting with Windows leaves the blocker as it is).
const char* shown_state(const std::string& state) {
  if (state == "paused") return PROTECTION_PAUSED;
  if (state == "closed") return PROTECTION_CLOSED;
  if (state == "removed") return PROTECTION_REMOVED;
  if (state == "shutdown") return PROTECTION_SHUTDOWN;
  if (state == "suspended") return PROTECTION_SUSPENDED;
  // Switched back on, or an end without Exit noticed by the program as it starts again:
  // either way it runs with the blocker on.
  if (state == "resumed" || state == "ended_unexpectedly") return PROTECTION_ON;
  return nullptr;
}

// A report the program kept while the service could not be reached, of a run that has ended
// (closed, removed, shut down, asleep), comes from a later run or after waking: the family
// hears of it, but the computer runs now, so what the page shows and the silence watch stand.
bool ends_a_run_that_is_over(const std::string& state, bool kept) {
  return kept && protection_state_ends_with_a_call(state);
}

// The pause alert of this computer, for its repeat key.
AlertFacts pause_facts(const ActionInput& input) {
  AlertFacts facts;
  facts.kind = kAlertPaused;
  facts.at = input.now;
  facts.device_key = input.device.link_id;
  return facts;
}

} // namespace

ApiAnswer action_report_protection(ServiceContext* context, const ActionInput& input) {
  if (!input.linked) return error_answer(401, kNotLinked);
  const std::string& state = member_text(input, "state");
  const std::string& label = member_text(input, "device_label");
  if (!known_state(state)) return error_answer(400, kUnknownState);
  if (label.size() > kMaxLabelBytes) return error_answer(400, "The computer's name is too long.");
  const int64_t at = report_time(input);
  if (at < 0) return error_answer(400, kBadTime);
  auto kept_member = input.body->find("kept");
  if (kept_member != input.body->end() && !kept_member->is_boolean())
    return error_answer(400, kBadKept);
  const bool kept = kept_member != input.body->end() && kept_member->get<bool>();

  StoreLease lease(context->store);
  ServiceStore* store = lease.get();
  if (!store || !store_add_event(store, input.account_id, "protection", state, label, at))
    return error_answer(500, STORE_FAILURE_TEXT);
  const char* now_state = ends_a_run_that_is_over(state, kept) ? nullptr : shown_state(state);
  // Back on, it is watched for silence again from this call.
  const int64_t silent_at =
      silence_deadline(silence_limits(*context), input.now, input.device.threat_at);
  if (now_state && !store_note_protection(store, input.device.link_id, now_state, at, silent_at))
    return error_answer(500, STORE_FAILURE_TEXT);
  // Switched back on: the next pause is news again, however soon it comes.
  if (state == "resumed" &&
      !store_release_alert_slot(store, alert_repeat_key(input.account_id, pause_facts(input))))
    return error_answer(500, STORE_FAILURE_TEXT);

  AlertFacts facts;
  facts.device_label = label;
  facts.device_key = input.device.link_id;
  facts.person_name = input.device.person_name;
  facts.at = input.now;
  facts.happened_at = at;
  if (alert_kind_of_state(state, &facts.kind)) {
    bool queued = false;
    raise_alert(context, store, input.account_id, facts, &queued);
    if (queued && facts.kind == kAlertPaused)
      store_note_pause_alerted(store, input.device.link_id, input.now);
  } else if (input.device.pause_alerted_at > 0 &&
             input.now - input.device.pause_alerted_at <= kResumedAlertAfterPauseSeconds) {
    facts.kind = kAlertResumed;
    raise_alert(context, store, input.account_id, facts);
  }
  return ok_answer(200, nlohmann::ordered_json::object());
}
