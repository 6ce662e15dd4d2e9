// The Guardian lock's forms. Turning a lock on needs a Guardian PIN to ask for; turning it off
// needs a code sent for that, since a caller may be talking someone through this page too.
#include "api/code_flow.h"
#include "store/store_protection.h"
#include "web/web_frame.h"
#include "web/web_handlers.h"

namespace {

WebAnswer lock_problem(WebCall* call, int status, const std::string& text,
                       int64_t retry_after = 0) {
  FamilyView view;
  view.problem_section = kSectionComputers;
  view.problem = text;
  WebAnswer answer = show_family(call, status, view);
  if (status == 429) answer.headers.emplace_back("Retry-After", std::to_string(retry_after));
  return answer;
}

const char* const kGone = "That computer is not linked any more.";

} // namespace

WebAnswer post_lock_on(WebCall* call) {
  if (call->account.guardian_pin_digest.empty())
    return lock_problem(call, 400,
                        "Please set a Guardian PIN first (below): the lock asks for it.");
  if (!store_set_guardian_lock(call->store, call->account.id, field(call, "link"), true))
    return lock_problem(call, 404, kGone);
  return redirect_answer("/family?note=lock-on#computers");
}

WebAnswer post_lock_code(WebCall* call) {
  CodeResult sent =
      send_code(call->context, call->store, call->account.identifier, call->account.id,
                kCodeForLockOff, call->request->client, call->request->now);
  if (sent.status != 200) return lock_problem(call, sent.status, sent.error, sent.retry_after);
  if (!store_set_session_lock_challenge(call->store, call->session_id, sent.challenge.id))
    return lock_problem(call, 500, "That could not be saved just now. Please try again.");
  return redirect_answer("/family?note=lock-code-sent#computers");
}

WebAnswer post_lock_off(WebCall* call) {
  const std::string& link = field(call, "link");
  std::string challenge_id;
  if (!store_session_lock_challenge(call->store, call->session_id, &challenge_id) ||
      challenge_id.empty())
    return lock_problem(call, 400, "Please ask for a code first.");
  CodeResult checked = check_code(call->context, call->store, challenge_id,
                                  field(call, ("lock-code-" + link).c_str()), kCodeForLockOff,
                                  call->request->client, call->request->now);
  if (checked.status != 200)
    return lock_problem(call, checked.status, checked.error, checked.retry_after);
  store_set_session_lock_challenge(call->store, call->session_id, std::string());
  if (checked.challenge.account_id != call->account.id ||
      !store_set_guardian_lock(call->store, call->account.id, link, false))
    return lock_problem(call, 404, kGone);
  return redirect_answer("/family?note=lock-off#computers");
}
