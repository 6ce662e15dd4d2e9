#include "web/web_sign_in_page.h"

#include "web/web_escape.h"
#include "web/web_frame.h"

WebAnswer sign_in_page(int status, const SignInView& view, const std::string& csrf) {
  std::string main = "<h1>Family page: sign in</h1>\n";
  if (!view.notice.empty()) main += notice_html("done", view.notice);
  if (!view.code_sent) {
    main += "<p>Use the email address or UK mobile number you typed into Callwarden on the "
            "computer you look after. We will send you a 6-digit code.</p>\n" +
            form_open("/family/send-code", csrf) +
            text_field("identifier", "Your email address or mobile number", view.typed,
                       "For example name@example.com or 07700 900123", view.problem,
                       "type=\"text\" autocomplete=\"username\" spellcheck=\"false\" "
                       "autocapitalize=\"none\" required") +
            button("Send me a code") + "</form>\n";
  } else {
    main += "<p>We have sent a 6-digit code to <strong>" + html_text(view.masked_target) +
            "</strong>. It works for 10 minutes.</p>\n" + form_open("/family/sign-in", csrf) +
            hidden_field("challenge", view.challenge_id) +
            text_field("code", "The 6-digit code", std::string(), "", view.problem,
                       "type=\"text\" inputmode=\"numeric\" autocomplete=\"one-time-code\" "
                       "required") +
            button("Sign in") + "</form>\n" +
            "<p><a href=\"/family\">Start again with another email or mobile</a></p>\n";
  }
  main += "<p>Need help? Call " OLVEX_HELP_LINE ".</p>\n";
  return page_answer(status, "Sign in", main);
}
