// Unlinking a computer: the page that asks first, the fresh code a locked computer needs, and
// the unlink itself, which every recipient of the account's alerts hears of.
#include "alerts/alert_raise.h"
#include "api/code_flow.h"
#include "base/identifier.h"
#include "store/store_protection.h"
#include "web/web_escape.h"
#include "web/web_frame.h"
#include "web/web_handlers.h"
#include "web/web_unlink_page.h"

namespace {

const char* const kGone = "That computer is not linked any more.";
const char* const kStoreFailed = "That could not be done just now. Please try again in a moment.";

WebAnswer computers_problem(WebCall* call, int status, const std::string& text) {
  FamilyView view;
  view.problem_section = kSectionComputers;
  view.problem = text;
  return show_family(call, status, view);
}

// The confirmation page of `link`, or the family page when the computer is gone.
WebAnswer show_unlink(WebCall* call, int status, const std::string& link,
                      const std::string& problem = std::string(), int64_t retry_after = 0) {
  UnlinkView view;
  const Lookup found = store_find_link(call->store, call->account.id, link, &view.device);
  if (found == Lookup::kFailed) return computers_problem(call, 500, kStoreFailed);
  if (found == Lookup::kMissing) return computers_problem(call, 404, kGone);
  view.masked_identifier = mask_identifier(call->account.identifier);
  view.problem = problem;
  std::string challenge_id;
  std::string challenge_link;
  Challenge challenge;
  view.code_sent = store_session_unlink_challenge(call->store, call->session_id, &challenge_id,
                                                  &challenge_link) &&
                   !challenge_id.empty() && challenge_link == link &&
                   store_find_challenge(call->store, challenge_id, &challenge) == Lookup::kFound &&
                   !challenge.used && challenge.expires_at > call->request->now &&
                   challenge.tries_left > 0;
  WebAnswer answer = with_cookies(call, unlink_page(status, view, call->csrf));
  if (status == 429 || status == 503)
    answer.headers.emplace_back("Retry-After", std::to_string(retry_after));
  return answer;
}

// A locked computer goes only with the code sent to unlink it; 200 when it was right.
CodeResult check_unlink_code(WebCall* call, const std::string& link) {
  std::string challenge_id;
  std::string challenge_link;
  CodeResult refused;
  refused.status = 400;
  refused.error = "Please ask for a code first.";
  if (!store_session_unlink_challenge(call->store, call->session_id, &challenge_id,
                                      &challenge_link) ||
      challenge_id.empty() || challenge_link != link)
    return refused;
  CodeResult checked = check_code(call->context, call->store, challenge_id, field(call, "code"),
                                  kCodeForUnlink, call->request->client, call->request->now);
  if (checked.status == 200 && checked.challenge.account_id != call->account.id) return refused;
  return checked;
}

// Unlinks it and queues its alert in one transaction: the family hears of every unlink, and of
// none that did not happen.
int unlink_and_alert(WebCall* call, const DeviceLink& device, bool even_locked) {
  AlertFacts facts;
  facts.kind = kAlertUnlinked;
  facts.device_label = device.device_label;
  facts.person_name = device.person_name;
  facts.at = call->request->now;
  facts.device_key = device.link_id;
  bool queued = false;
  SqlTransaction transaction(call->store->sql);
  if (!transaction.begun() ||
      !store_unlink_device(call->store, call->account.id, device.link_id, even_locked) ||
      !store_add_event(call->store, call->account.id, "protection", "unlinked", device.device_label,
                       facts.at) ||
      !queue_alert(call->context, call->store, call->account.id, facts, &queued) ||
      !transaction.commit())
    return 0;
  if (queued) wake_alert_senders(call->context);
  return 1;
}

} // namespace

WebAnswer get_unlink(WebCall* call) { return show_unlink(call, 200, field(call, "link")); }

WebAnswer post_unlink_code(WebCall* call) {
  const std::string& link = field(call, "link");
  DeviceLink device;
  const Lookup found = store_find_link(call->store, call->account.id, link, &device);
  if (found == Lookup::kFailed) return computers_problem(call, 500, kStoreFailed);
  if (found == Lookup::kMissing) return computers_problem(call, 404, kGone);
  CodeResult sent =
      send_code(call->context, call->store, call->account.identifier, call->account.id,
                kCodeForUnlink, call->request->client, call->request->now, device.device_label);
  if (sent.status != 200) return show_unlink(call, sent.status, link, sent.error, sent.retry_after);
  if (!store_set_session_unlink_challenge(call->store, call->session_id, sent.challenge.id, link))
    return show_unlink(call, 500, link, kStoreFailed);
  return redirect_answer("/family/computers/unlink?link=" + url_component(link));
}

WebAnswer post_computer_unlink(WebCall* call) {
  const std::string& link = field(call, "link");
  DeviceLink device;
  const Lookup found = store_find_link(call->store, call->account.id, link, &device);
  if (found == Lookup::kFailed) return computers_problem(call, 500, kStoreFailed);
  if (found == Lookup::kMissing) return computers_problem(call, 404, kGone);
  if (device.guardian_lock) {
    const CodeResult checked = check_unlink_code(call, link);
    if (checked.status != 200)
      return show_unlink(call, checked.status, link, checked.error, checked.retry_after);
    store_set_session_unlink_challenge(call->store, call->session_id, std::string(), std::string());
  }
  if (!unlink_and_alert(call, device, device.guardian_lock)) {
    // The lock was turned on since it was read, or the store failed: nothing was unlinked.
    return show_unlink(call, 409, link,
                       "The computer was not unlinked. Please look at it again below and try "
                       "once more.");
  }
  return redirect_answer("/family?note=unlinked#computers");
}
