// The pages and forms of signing in and out, and the two pages that need no session.
#include "api/code_flow.h"
#include "base/identifier.h"
#include "web/web_frame.h"
#include "web/web_handlers.h"
#include "web/web_pricing_page.h"
#include "web/web_style.h"

namespace {

struct Note {
  const char* name;
  const char* text;
};

// What a form did, shown after it sends the browser back to the page. Only these fixed texts
// can appear, whatever the address holds.
const Note kNotes[] = {
    {"pin-code-sent", "We have sent you a 6-digit code. Type it below with the new PIN."},
    {"pin-set", "The Guardian PIN is saved. On the computer, type it into Callwarden and press "
                "'1-Hr Override (PIN)'."},
    {"contact-code-sent", "We have sent them a code. Ask them for it and type it below."},
    {"contact-confirmed", "Done: they will get alerts from now on."},
    {"contact-removed", "Removed: they will not get alerts any more."},
    {"name-saved", "The name is saved."},
    {"unlinked", "The computer is unlinked. Callwarden on it will ask to sign in again when it "
                 "next starts."},
    {"scam-alerts", "Your choice about scam-message alerts is saved."},
    {"lock-on", "The Guardian lock is on: pausing, closing or removing Callwarden on that computer "
                "now needs the Guardian PIN."},
    {"lock-code-sent", "We have sent you a 6-digit code. Type it below to turn the lock off."},
    {"lock-off", "The Guardian lock is off."},
    {"signed-out", "You have signed out."},
};

std::string note_text(const std::string& name) {
  for (const Note& note : kNotes) {
    if (name == note.name) return note.text;
  }
  return std::string();
}

SignInView code_step(WebCall* call, const std::string& challenge_id) {
  SignInView view;
  view.code_sent = true;
  view.challenge_id = challenge_id;
  Challenge challenge;
  Account account;
  if (store_find_challenge(call->store, challenge_id, &challenge) == Lookup::kFound &&
      store_find_account_by_id(call->store, challenge.account_id, &account) == Lookup::kFound)
    view.masked_target = mask_identifier(account.identifier);
  return view;
}

WebAnswer refused_page(WebAnswer answer, const CodeResult& result) {
  if (result.status == 429)
    answer.headers.emplace_back("Retry-After", std::to_string(result.retry_after));
  return answer;
}

} // namespace

WebAnswer get_pricing(WebCall*) { return pricing_page(); }

WebAnswer get_stylesheet(WebCall*) {
  WebAnswer answer;
  answer.content_type = "text/css; charset=utf-8";
  answer.body = kWebStylesheet;
  answer.headers.emplace_back("X-Content-Type-Options", "nosniff");
  answer.headers.emplace_back("Cache-Control", "max-age=3600");
  return answer;
}

WebAnswer get_family(WebCall* call) {
  const std::string note = note_text(field(call, "note"));
  if (!call->signed_in) {
    SignInView view;
    view.notice = note;
    return show_sign_in(call, 200, view);
  }
  FamilyView view;
  view.done = note;
  return show_family(call, 200, view);
}

WebAnswer post_send_code(WebCall* call) {
  if (call->signed_in) return redirect_answer("/family"); // an old tab's form
  SignInView view;
  view.typed = field(call, "identifier");
  std::string identifier;
  if (!normalise_identifier(view.typed, &identifier)) {
    view.problem = "Please type an email address, or a UK mobile number that starts with 07.";
    return show_sign_in(call, 400, view);
  }
  // A known and an unknown identifier get the same answer: the account is made on first use,
  // as when the program signs in.
  CodeResult sent = send_code(call->context, call->store, identifier, 0, kCodeForSignIn,
                              call->request->client, call->request->now);
  if (sent.status != 200) {
    view.problem = sent.error;
    return refused_page(show_sign_in(call, sent.status, view), sent);
  }
  view.code_sent = true;
  view.challenge_id = sent.challenge.id;
  view.masked_target = mask_identifier(identifier);
  view.typed.clear();
  return show_sign_in(call, 200, view);
}

WebAnswer post_sign_in(WebCall* call) {
  if (call->signed_in) return redirect_answer("/family"); // an old tab's form
  const std::string challenge_id = field(call, "challenge");
  CodeResult checked = check_code(call->context, call->store, challenge_id, field(call, "code"),
                                  kCodeForSignIn, call->request->client, call->request->now);
  if (checked.status != 200) {
    SignInView view = code_step(call, challenge_id);
    view.problem = checked.error;
    // A challenge that is gone cannot be tried again: back to the first step.
    if (view.masked_target.empty()) view.code_sent = false;
    return refused_page(show_sign_in(call, checked.status, view), checked);
  }
  std::string session_id;
  if (!store_start_session(call->store, checked.challenge.account_id, call->request->now,
                           &session_id))
    return message_answer(500, "Something went wrong", "Please try again in a moment.");
  WebAnswer answer = redirect_answer("/family");
  answer.headers.emplace_back("Set-Cookie",
                              cookie_header(SESSION_COOKIE, session_id, kSessionIdleSeconds));
  answer.headers.emplace_back("Set-Cookie", cookie_header(FORM_COOKIE, "", 0));
  return answer;
}

WebAnswer post_sign_out(WebCall* call) {
  store_end_session(call->store, call->session_id);
  WebAnswer answer = redirect_answer("/family?note=signed-out");
  answer.headers.emplace_back("Set-Cookie", cookie_header(SESSION_COOKIE, "", 0));
  return answer;
}
