#include "web/web_unlink_page.h"

#include "web/web_escape.h"
#include "web/web_frame.h"

WebAnswer unlink_page(int status, const UnlinkView& view, const std::string& csrf) {
  const DeviceLink& device = view.device;
  const std::string label = device.device_label.empty() ? "this computer" : device.device_label;
  const std::string& id = device.link_id;
  std::string main = "<h1>Unlink " + html_text(label) + "?</h1>\n";
  if (!view.problem.empty()) main += notice_html("problem", view.problem);
  main += "<p>Once it is unlinked, Callwarden on " + html_text(label) +
          " no longer tells you anything: no alerts come from it, and its Guardian PIN and "
          "lock stop working. Everyone who gets alerts is told that it was unlinked.</p>\n";
  if (!device.guardian_lock) {
    main += form_open("/family/computers/unlink", csrf) + hidden_field("link", id) +
            button("Unlink " + label, "danger") + "</form>\n";
  } else if (!view.code_sent) {
    main += "<p><strong>The Guardian lock is on.</strong> Unlinking lifts it, so it needs a "
            "fresh code, in case someone is talking you through this page. We send it to " +
            html_text(view.masked_identifier) + ".</p>\n" +
            form_open("/family/computers/unlink/send-code", csrf) + hidden_field("link", id) +
            button("Send me a code to unlink " + label, "secondary") + "</form>\n";
  } else {
    main += "<p><strong>The Guardian lock is on.</strong> We have sent a 6-digit code to " +
            html_text(view.masked_identifier) + ". Type it here to unlink " + html_text(label) +
            ".</p>\n" + form_open("/family/computers/unlink", csrf) + hidden_field("link", id) +
            text_field("code", "The 6-digit code we sent you", std::string(), "", std::string(),
                       "type=\"text\" inputmode=\"numeric\" autocomplete=\"one-time-code\" "
                       "required") +
            button("Unlink " + label, "danger") + "</form>\n";
  }
  main +=
      "<p><a href=\"/family#computers\">Keep it linked and go back to the family page</a></p>\n";
  return page_answer(status, "Unlink " + label, main);
}
