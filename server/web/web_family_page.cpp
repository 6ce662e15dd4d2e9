#include "web/web_family_page.h"

#include "alerts/alert_text.h"
#include "base/identifier.h"
#include "base/uk_time.h"
#include "web/web_escape.h"
#include "web/web_frame.h"
#include "web/web_protection_section.h"
#include "web/web_text_status.h"

namespace {

std::string problem_in(const FamilyView& view, FamilySection section) {
  return view.problem_section == section ? view.problem : std::string();
}

std::string when(int64_t at) { return at > 0 ? uk_date_time(at) : "not since it was linked"; }

std::string computers_section(const FamilyView& view, const std::string& csrf) {
  std::string html = "<h2 id=\"computers\">Computers linked</h2>\n";
  const std::string problem = problem_in(view, kSectionComputers);
  if (!problem.empty()) html += notice_html("problem", problem);
  if (view.devices.empty()) {
    return html +
           "<p>No computer is linked yet. On the computer, open Callwarden and sign in "
           "with " +
           html_text(view.account.identifier) + ".</p>\n";
  }
  for (const DeviceLink& device : view.devices) {
    const std::string label = device.device_label.empty() ? "A computer" : device.device_label;
    const std::string id = device.link_id;
    html += "<section class=\"card\" aria-labelledby=\"pc-" + html_attr(id) + "\"><h3 id=\"pc-" +
            html_attr(id) + "\">" + html_text(label) +
            "</h3>\n<dl class=\"facts\"><dt>Used by</dt><dd>" +
            html_text(device.person_name.empty() ? "No name given" : device.person_name) +
            "</dd><dt>Linked</dt><dd>" + html_text(when(device.created_at)) + "</dd>" +
            protection_facts_html(device, view.now) + "</dl>\n" +
            guardian_lock_html(view, device, csrf) + form_open("/family/computers/name", csrf) +
            hidden_field("link", id) +
            text_field("name-" + id, "Who uses " + label + "?", device.person_name,
                       "Alerts will say, for example, \"call Mum now\".", std::string(),
                       "type=\"text\" maxlength=\"40\" autocomplete=\"off\"") +
            button("Save name", "secondary") + "</form>\n" +
            "<form method=\"get\" action=\"/family/computers/unlink\">" + hidden_field("link", id) +
            "<p>Unlinking stops alerts from this computer and the Guardian PIN on it.</p>" +
            button("Unlink " + label, "danger") + "</form>\n</section>\n";
  }
  return html;
}

std::string event_line(const AccountEvent& event) {
  const std::string computer = event.device_label.empty() ? "a computer" : event.device_label;
  std::string what;
  if (event.kind == "tool_stopped") {
    what = tool_display_name(event.detail) + " was stopped on " + computer;
  } else if (event.kind == "protection") {
    what = protection_event_text(event.detail, computer);
  } else if (event.kind == "override_used") {
    what = "The Guardian PIN switched the blocker off for an hour on " + computer;
  } else {
    what = "A wrong Guardian PIN was refused on " + computer;
  }
  return "<li>" + html_text(uk_date_time(event.at)) + ": " + html_text(what) + ".</li>\n";
}

std::string history_section(const FamilyView& view) {
  std::string html = "<h2 id=\"history\">What happened in the last 30 days</h2>\n";
  if (view.events.empty()) {
    html += "<p>No remote-control program was stopped and the Guardian PIN was not used.</p>\n";
  } else {
    html += "<ul class=\"plain\">\n";
    for (const AccountEvent& event : view.events)
      html += event_line(event);
    html += "</ul>\n";
  }
  auto count = [&view](const char* verdict) {
    auto it = view.verdicts.find(verdict);
    return std::to_string(it == view.verdicts.end() ? 0 : it->second);
  };
  html += "<h3>Messages checked</h3>\n<p>How Callwarden judged the messages checked on these "
          "computers. We never keep the messages themselves.</p>\n<ul class=\"counts\">"
          "<li>Scam: <strong>" +
          count("SCAM") + "</strong></li><li>Be careful: <strong>" + count("CAUTION") +
          "</strong></li><li>Looks safe: <strong>" + count("SAFE") + "</strong></li></ul>\n";
  return html;
}

std::string pin_section(const FamilyView& view, const std::string& csrf) {
  std::string html = "<h2 id=\"pin\">Guardian PIN</h2>\n<p>The Guardian PIN lets the blocker be "
                     "switched off for one hour, for a genuine helper. Keep it to yourself: "
                     "never tell it to anyone who phones.</p>\n";
  const bool has_pin = !view.account.guardian_pin_digest.empty();
  html += std::string("<p><strong>") +
          (has_pin ? "A Guardian PIN is set." : "No Guardian PIN is set yet.") + "</strong></p>\n";
  const std::string problem = problem_in(view, kSectionPin);
  if (!problem.empty()) html += notice_html("problem", problem);
  if (!view.pin_code_sent) {
    return html + "<p>To " + (has_pin ? "change" : "set") +
           " it, we first send a 6-digit code to " +
           html_text(mask_identifier(view.account.identifier)) + ".</p>\n" +
           form_open("/family/pin/send-code", csrf) +
           button(has_pin ? "Send me a code to change the PIN" : "Send me a code to set the PIN") +
           "</form>\n";
  }
  html +=
      "<p>We have sent a 6-digit code to " + html_text(mask_identifier(view.account.identifier)) +
      ". Type it here with the new PIN.</p>\n" + form_open("/family/pin", csrf) +
      text_field("code", "The 6-digit code", std::string(), "", std::string(),
                 "type=\"text\" inputmode=\"numeric\" autocomplete=\"one-time-code\" required") +
      text_field("pin", "New Guardian PIN (4 digits)", std::string(), "", std::string(),
                 "type=\"password\" inputmode=\"numeric\" maxlength=\"4\" "
                 "autocomplete=\"new-password\" required") +
      text_field("pin2", "The same PIN again", std::string(), "", std::string(),
                 "type=\"password\" inputmode=\"numeric\" maxlength=\"4\" "
                 "autocomplete=\"new-password\" required");
  if (!view.weak_pin.empty()) {
    html += "<div class=\"notice warning\" role=\"alert\"><p>That PIN is easy to guess: " +
            html_text(view.weak_pin) +
            ". A scammer may try it first. Please choose another, or tick the box to use it "
            "anyway.</p></div>\n<div class=\"check\"><input type=\"checkbox\" id=\"f-weak\" "
            "name=\"weak_ok\" value=\"1\"><label for=\"f-weak\">Use this PIN anyway</label></div>";
  }
  return html + button("Save the PIN") + "</form>\n";
}

// The last alert texted to a mobile, as its own line of the list's card.
std::string text_status_html(const FamilyView& view, const std::string& identifier) {
  const std::string line = text_status_line(view.alert_texts, identifier);
  return line.empty() ? std::string() : "<p class=\"text-status\">" + html_text(line) + "</p>\n";
}

std::string contact_item(const FamilyView& view, const AlertContact& contact,
                         const std::string& csrf) {
  const std::string id = std::to_string(contact.id);
  std::string html =
      "<li class=\"card\"><p><strong>" + html_text(contact.identifier) +
      "</strong>: " + (contact.confirmed ? "gets alerts" : "waiting for their code") + "</p>\n" +
      text_status_html(view, contact.identifier);
  if (!contact.confirmed) {
    html += form_open("/family/contacts/confirm", csrf) + hidden_field("contact", id) +
            text_field("code-" + id, "The code sent to " + contact.identifier, std::string(),
                       "Ask them for it. If it has run out, remove them and add them again.",
                       std::string(),
                       "type=\"text\" inputmode=\"numeric\" "
                       "autocomplete=\"off\"") +
            button("Confirm", "secondary") + "</form>\n";
  }
  return html + form_open("/family/contacts/remove", csrf) + hidden_field("contact", id) +
         button("Remove " + contact.identifier, "danger") + "</form></li>\n";
}

std::string alerts_section(const FamilyView& view, const std::string& csrf) {
  std::string html = "<h2 id=\"alerts\">Who gets alerts</h2>\n<p>When Callwarden stops a "
                     "remote-control program, or the Guardian PIN is used, these people get a "
                     "message within seconds.</p>\n";
  const std::string problem = problem_in(view, kSectionAlerts);
  if (!problem.empty()) html += notice_html("problem", problem);
  html += "<ul class=\"plain\"><li class=\"card\"><p><strong>" +
          html_text(view.account.identifier) + "</strong>: you, always</p>\n" +
          text_status_html(view, view.account.identifier) + "</li>\n";
  for (const AlertContact& contact : view.contacts)
    html += contact_item(view, contact, csrf);
  html += "</ul>\n";
  if (static_cast<int>(view.contacts.size()) < kMaxAlertContacts) {
    html += "<h3>Add someone</h3>\n<p>You can add up to 4 more people. We send them a code; "
            "they are added once you type it here.</p>\n" +
            form_open("/family/contacts/add", csrf) +
            text_field("identifier", "Their email address or mobile number",
                       problem.empty() ? std::string() : view.typed,
                       "For example name@example.com or 07700 900123", std::string(),
                       "type=\"text\" autocomplete=\"off\" spellcheck=\"false\" "
                       "autocapitalize=\"none\" required") +
            button("Send them a code") + "</form>\n";
  } else {
    html += "<p>Four people are on the list, the most it can hold.</p>\n";
  }
  html += "<h3>Scam messages</h3>\n" + form_open("/family/alerts/scam", csrf) +
          hidden_field("on", view.account.alert_on_scam ? "0" : "1") + "<p>" +
          (view.account.alert_on_scam
               ? "Alerts are also sent when a checked message is judged a scam."
               : "Alerts are not sent when a checked message is judged a scam.") +
          "</p>" +
          button(view.account.alert_on_scam ? "Stop scam-message alerts"
                                            : "Also alert when a message is a scam",
                 "secondary") +
          "</form>\n";
  return html;
}

} // namespace

WebAnswer family_page(int status, const FamilyView& view, const std::string& csrf) {
  std::string main = "<h1>Family page</h1>\n<p>Signed in as <strong>" +
                     html_text(view.account.identifier) + "</strong>.</p>\n";
  if (!view.done.empty()) main += notice_html("done", view.done);
  main += "<nav aria-label=\"On this page\"><ul>"
          "<li><a href=\"#computers\">Computers linked</a></li>"
          "<li><a href=\"#history\">What happened</a></li>"
          "<li><a href=\"#pin\">Guardian PIN</a></li>"
          "<li><a href=\"#alerts\">Who gets alerts</a></li></ul></nav>\n";
  main += computers_section(view, csrf) + history_section(view) + pin_section(view, csrf) +
          alerts_section(view, csrf);
  main += "<h2 id=\"sign-out\">Sign out</h2>\n" + form_open("/family/sign-out", csrf) +
          button("Sign out", "secondary") + "</form>\n";
  return page_answer(status, "Family page", main);
}
