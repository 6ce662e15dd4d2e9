// check_scam: the rule engine behind the daily allowance of free checks.
#include <algorithm>

#include "alerts/alert_raise.h"
#include "api/api_actions.h"
#include "base/client_network.h"
#include "base/clock_text.h"
#include "judge/scam_engine.h"

namespace {

const char* const kNoMessage =
    "There is no message to check. Please paste or type the message first.";

std::string allowance_used(int per_day) {
  return "You have used today's " + std::to_string(per_day) +
         " free scam checks on this computer. Upgrade to a Family plan for unlimited checks, "
         "or try again tomorrow.";
}

std::string network_used(int per_day) {
  return "The computers on this network have used today's " + std::to_string(per_day) +
         " free scam checks. Upgrade to a Family plan for unlimited checks, or try again "
         "tomorrow.";
}

bool only_blanks(const std::string& text) {
  return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// The family page counts verdicts (never the text); a SCAM may also alert the family.
void note_verdict(ServiceContext* context, const ActionInput& input, const std::string& verdict,
                  bool scam_alerts) {
  CheckVerdict check;
  check.account_id = input.account_id;
  check.verdict = verdict;
  check.device_label = member_text(input, "device_label");
  check.at = input.now;
  check_tally_add(&context->checks, check);
  if (!scam_alerts || verdict != "SCAM") return;
  StoreLease lease(context->store);
  ServiceStore* store = lease.get();
  if (!store) return;
  AlertFacts facts;
  facts.kind = kAlertScamChecked;
  facts.device_label = member_text(input, "device_label");
  facts.person_name = input.device.person_name;
  facts.at = input.now;
  facts.device_key = input.device.link_id;
  raise_alert(context, store, input.account_id, facts);
}

int64_t seconds_to_next_day(int64_t now) {
  const int64_t kDay = 24 * 60 * 60;
  return kDay - ((now % kDay) + kDay) % kDay;
}

} // namespace

ApiAnswer action_check_scam(ServiceContext* context, const ActionInput& input) {
  const std::string& text = member_text(input, "text");
  const std::string& device = member_text(input, "device_label");
  if (only_blanks(text)) return error_answer(400, kNoMessage);
  if (device.size() > kMaxLabelBytes) return error_answer(400, "The computer's name is too long.");

  int used = 0;
  bool unlimited = false;
  bool scam_alerts = false;
  {
    StoreLease lease(context->store);
    ServiceStore* store = lease.get();
    if (!store) return error_answer(500, STORE_FAILURE_TEXT);
    if (input.linked) {
      Account account;
      if (store_find_account_by_id(store, input.account_id, &account) != Lookup::kFound)
        return error_answer(500, STORE_FAILURE_TEXT);
      unlimited = account.entitled;
      scam_alerts = account.alert_on_scam;
    }
    std::string day = utc_day(input.now);
    // Counted first and given back when over: checks sent at once cannot all see room left.
    // A linked computer is counted as itself, whatever label it sends; every device as well
    // among those of its client's network.
    if (!unlimited) {
      const std::string computer =
          input.linked ? "link:" + input.device.link_id : "device:" + device;
      if (!store_count_check(store, computer, day, &used))
        return error_answer(500, STORE_FAILURE_TEXT);
      if (used > context->free_checks_per_day) {
        store_uncount_check(store, computer, day);
        metrics_note_limit(&context->metrics, "free_checks");
        return limited_answer(allowance_used(context->free_checks_per_day),
                              seconds_to_next_day(input.now));
      }
      const std::string network = "client:" + client_network(input.client);
      int network_used_count = 0;
      if (!store_count_check(store, network, day, &network_used_count)) {
        store_uncount_check(store, computer, day);
        return error_answer(500, STORE_FAILURE_TEXT);
      }
      if (network_used_count > context->free_checks_per_address) {
        store_uncount_check(store, network, day);
        store_uncount_check(store, computer, day);
        metrics_note_limit(&context->metrics, "free_checks_address");
        return limited_answer(network_used(context->free_checks_per_address),
                              seconds_to_next_day(input.now));
      }
      used = std::max(used, context->free_checks_per_day -
                                (context->free_checks_per_address - network_used_count));
    }
  }

  // Judged with no connection held and no lock taken; the lists of scam websites are those
  // loaded when the check began.
  std::shared_ptr<const ThreatSet> threats = threat_lists_now(&context->threats);
  ScamAssessment result = assess_message(text, context->suffixes, threats.get());
  metrics_note_verdict(&context->metrics, result.verdict);
  if (input.linked) note_verdict(context, input, result.verdict, scam_alerts);

  nlohmann::ordered_json members;
  members["verdict"] = result.verdict;
  members["risk_score"] = result.score;
  members["headline"] = result.headline;
  members["reasons"] = result.reasons;
  members["advice"] = result.advice;
  if (!unlimited) members["free_checks_left"] = context->free_checks_per_day - used;
  return ok_answer(200, members);
}
