#include "web/web_pricing_page.h"

#include "web/web_frame.h"

WebAnswer pricing_page() {
  std::string main =
      "<h1>Olvex Callwarden: stops phone scammers taking over your computer</h1>\n"
      "<p>Scammers phone and pretend to be from your bank, BT or Microsoft. They ask you to "
      "install a program such as AnyDesk or TeamViewer so that they can take over your "
      "computer. Callwarden sits quietly beside the clock on a Windows computer and closes "
      "these programs the moment they start.</p>\n"
      "<ul>\n<li>It stops remote-control programs and tells you to hang up.</li>\n"
      "<li>It checks a text, email or link you are not sure about.</li>\n"
      "<li>It cleans away pop-up warnings that websites push onto the screen.</li>\n</ul>\n"
      "<h2 id=\"pricing\">Prices</h2>\n<div class=\"plans\">\n"
      "<section class=\"plan\" aria-labelledby=\"plan-free\"><h3 id=\"plan-free\">Free</h3>"
      "<p class=\"price\">£0</p><ul><li>Remote-control programs stopped, always</li>"
      "<li>5 message checks a day</li></ul></section>\n"
      "<section class=\"plan family\" aria-labelledby=\"plan-family\"><h3 "
      "id=\"plan-family\">Family plan</h3><p class=\"price\">£4.99 a month</p><ul>"
      "<li>Unlimited message checks</li><li>Guardian alerts: the family hears at once when a "
      "scammer's program is stopped</li><li>The Guardian PIN: only the family can switch the "
      "blocker off for an hour</li></ul></section>\n</div>\n"
      "<h2 id=\"subscribe\">How to subscribe</h2>\n"
      "<p>We do not take payment on this website. To start a Family plan, call us and a "
      "person will set it up with you:</p>\n<p class=\"phone\"><a href=\"tel:+441914980321\">" +
      std::string(OLVEX_HELP_LINE) +
      "</a></p>\n<p>Monday to Saturday, 9am to 6pm. Have the email address or mobile number "
      "you signed in with ready. We will never ask for a bank PIN or a password.</p>\n"
      "<h2 id=\"family\">For the family</h2>\n"
      "<p>Set Callwarden up on a parent's computer and sign it in with <strong>your</strong> "
      "email address or mobile number. Then, on the <a href=\"/family\">family page</a>, you "
      "can see what happened, choose who gets alerts and set the Guardian PIN.</p>\n";
  return page_answer(200, "Stop phone scammers", main);
}
