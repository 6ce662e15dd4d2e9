// The family page's forms: the Guardian PIN, the people who get alerts, the computers' names
// (unlinking is web_unlink_forms.cpp).
#include <cstdlib>

#include "alerts/alert_text.h"
#include "api/code_flow.h"
#include "api/guardian_pin_rules.h"
#include "base/identifier.h"
#include "web/web_frame.h"
#include "web/web_handlers.h"

namespace {

const size_t kMaxPersonNameCharacters = 40;

WebAnswer problem_page(WebCall* call, int status, FamilySection section, const std::string& text,
                       int64_t retry_after = 0) {
  FamilyView view;
  view.problem_section = section;
  view.problem = text;
  view.typed = field(call, "identifier");
  WebAnswer answer = show_family(call, status, view);
  if (status == 429) answer.headers.emplace_back("Retry-After", std::to_string(retry_after));
  return answer;
}

WebAnswer store_failed(WebCall* call, FamilySection section) {
  return problem_page(call, 500, section,
                      "That could not be saved just now. Please try again in a moment.");
}

int64_t number_field(WebCall* call, const char* name) {
  const std::string& text = field(call, name);
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  return std::strtoll(text.c_str(), nullptr, 10);
}

} // namespace

WebAnswer post_pin_code(WebCall* call) {
  CodeResult sent =
      send_code(call->context, call->store, call->account.identifier, call->account.id,
                kCodeForPinChange, call->request->client, call->request->now);
  if (sent.status != 200)
    return problem_page(call, sent.status, kSectionPin, sent.error, sent.retry_after);
  if (!store_set_session_pin_challenge(call->store, call->session_id, sent.challenge.id))
    return store_failed(call, kSectionPin);
  return redirect_answer("/family?note=pin-code-sent#pin");
}

WebAnswer post_pin(WebCall* call) {
  const std::string& pin = field(call, "pin");
  FamilyView view;
  view.problem_section = kSectionPin;
  if (call->session.pin_challenge_id.empty()) {
    view.problem = "Please ask for a code first.";
    return show_family(call, 400, view);
  }
  if (!is_four_digits(pin)) {
    view.problem = "The Guardian PIN must be exactly 4 digits, 0 to 9.";
    return show_family(call, 400, view);
  }
  if (field(call, "pin2") != pin) {
    view.problem = "The two PINs are not the same. Please type the new PIN twice.";
    return show_family(call, 400, view);
  }
  // Warned about before the code is checked, so that choosing another PIN needs no new code.
  const std::string weak = weak_pin_reason(pin);
  if (!weak.empty() && field(call, "weak_ok") != "1") {
    view.weak_pin = weak;
    return show_family(call, 400, view);
  }
  CodeResult checked =
      check_code(call->context, call->store, call->session.pin_challenge_id, field(call, "code"),
                 kCodeForPinChange, call->request->client, call->request->now);
  if (checked.status != 200)
    return problem_page(call, checked.status, kSectionPin, checked.error, checked.retry_after);
  if (checked.challenge.account_id != call->account.id ||
      !store_set_guardian_pin(call->store, call->account.id, pin))
    return store_failed(call, kSectionPin);
  store_set_session_pin_challenge(call->store, call->session_id, std::string());
  return redirect_answer("/family?note=pin-set#pin");
}

WebAnswer post_contact_add(WebCall* call) {
  std::string identifier;
  if (!normalise_identifier(field(call, "identifier"), &identifier))
    return problem_page(call, 400, kSectionAlerts,
                        "Please type an email address, or a UK mobile number that starts with 07.");
  if (identifier == call->account.identifier)
    return problem_page(call, 400, kSectionAlerts, "You get alerts already.");
  int64_t contact_id = 0;
  ContactAdded added =
      store_add_contact(call->store, call->account.id, identifier, call->request->now, &contact_id);
  if (added == kContactAlreadyListed)
    return problem_page(call, 400, kSectionAlerts, "That person is on the list already.");
  if (added == kContactListFull)
    return problem_page(call, 400, kSectionAlerts,
                        "The list is full: remove someone before adding another person.");
  if (added != kContactAdded) return store_failed(call, kSectionAlerts);
  CodeResult sent = send_code(call->context, call->store, identifier, call->account.id,
                              kCodeForContact, call->request->client, call->request->now);
  if (sent.status != 200) {
    // Nobody is listed who could not be asked to confirm.
    store_remove_contact(call->store, call->account.id, contact_id);
    return problem_page(call, sent.status, kSectionAlerts, sent.error, sent.retry_after);
  }
  if (!store_set_contact_challenge(call->store, call->account.id, contact_id, sent.challenge.id))
    return store_failed(call, kSectionAlerts);
  return redirect_answer("/family?note=contact-code-sent#alerts");
}

WebAnswer post_contact_confirm(WebCall* call) {
  const int64_t contact_id = number_field(call, "contact");
  AlertContact contact;
  const Lookup found = store_find_contact(call->store, call->account.id, contact_id, &contact);
  if (found == Lookup::kFailed) return store_failed(call, kSectionAlerts);
  if (found == Lookup::kMissing)
    return problem_page(call, 404, kSectionAlerts, "That person is not on the list any more.");
  if (contact.confirmed) return redirect_answer("/family?note=contact-confirmed#alerts");
  CodeResult checked = check_code(call->context, call->store, contact.challenge_id,
                                  field(call, ("code-" + std::to_string(contact_id)).c_str()),
                                  kCodeForContact, call->request->client, call->request->now);
  if (checked.status != 200)
    return problem_page(call, checked.status, kSectionAlerts, checked.error, checked.retry_after);
  if (checked.challenge.account_id != call->account.id ||
      !store_confirm_contact(call->store, call->account.id, contact_id))
    return store_failed(call, kSectionAlerts);
  return redirect_answer("/family?note=contact-confirmed#alerts");
}

WebAnswer post_contact_remove(WebCall* call) {
  store_remove_contact(call->store, call->account.id, number_field(call, "contact"));
  return redirect_answer("/family?note=contact-removed#alerts");
}

WebAnswer post_computer_name(WebCall* call) {
  const std::string& link = field(call, "link");
  const std::string name =
      one_line(field(call, ("name-" + link).c_str()), kMaxPersonNameCharacters);
  if (!store_name_device(call->store, call->account.id, link, name))
    return problem_page(call, 404, kSectionComputers, "That computer is not linked any more.");
  return redirect_answer("/family?note=name-saved#computers");
}

WebAnswer post_scam_alerts(WebCall* call) {
  if (!store_set_scam_alerts(call->store, call->account.id, field(call, "on") == "1"))
    return store_failed(call, kSectionAlerts);
  return redirect_answer("/family?note=scam-alerts#alerts");
}
