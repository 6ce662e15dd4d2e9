#include "web/web_frame.h"

#include "web/web_escape.h"

const char* const kWebContentPolicy =
    "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; "
    "base-uri 'none'; frame-ancestors 'none'";

std::string page_html(const std::string& title, const std::string& main_html) {
  return "<!DOCTYPE html>\n<html lang=\"en-GB\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<title>" +
         html_text(title) +
         " - Olvex Callwarden</title>\n"
         "<link rel=\"stylesheet\" href=\"/style.css\">\n</head>\n<body>\n"
         "<a class=\"skip\" href=\"#main\">Skip to the main part</a>\n"
         "<header class=\"site\"><p class=\"brand\"><a href=\"/callwarden\">Olvex "
         "Callwarden</a></p>\n<nav aria-label=\"Site\"><ul>"
         "<li><a href=\"/callwarden\">About and prices</a></li>"
         "<li><a href=\"/family\">Family page</a></li></ul></nav></header>\n"
         "<main id=\"main\">\n" +
         main_html +
         "</main>\n<footer class=\"site\"><p>Help from Olvex: call <a href=\"tel:+441914980321\">" +
         OLVEX_HELP_LINE +
         "</a>, Monday to Saturday, 9am to 6pm.</p>\n<p>Had a scam text? Forward it to 7726. "
         "Worried about a call from your bank? Hang up and call 159. Report a scam to Action "
         "Fraud.</p></footer>\n</body>\n</html>\n";
}

namespace {

void add_security_headers(WebAnswer* answer) {
  answer->headers.emplace_back("Content-Security-Policy", kWebContentPolicy);
  answer->headers.emplace_back("X-Content-Type-Options", "nosniff");
  answer->headers.emplace_back("Referrer-Policy", "no-referrer");
  answer->headers.emplace_back("X-Frame-Options", "DENY");
  answer->headers.emplace_back("Strict-Transport-Security", "max-age=31536000");
  answer->headers.emplace_back("Cache-Control", "no-store");
}

} // namespace

WebAnswer page_answer(int status, const std::string& title, const std::string& main_html) {
  WebAnswer answer;
  answer.status = status;
  answer.body = page_html(title, main_html);
  add_security_headers(&answer);
  return answer;
}

WebAnswer redirect_answer(const std::string& path) {
  WebAnswer answer;
  answer.status = 303;
  answer.content_type = "text/plain; charset=utf-8";
  answer.body = "See " + path + "\n";
  answer.headers.emplace_back("Location", path);
  add_security_headers(&answer);
  return answer;
}

WebAnswer message_answer(int status, const std::string& title, const std::string& text) {
  return page_answer(status, title,
                     "<h1>" + html_text(title) + "</h1>\n<p>" + html_text(text) +
                         "</p>\n<p><a href=\"/family\">Go to the family page</a></p>\n");
}

std::string form_open(const std::string& action, const std::string& csrf) {
  return "<form method=\"post\" action=\"" + html_attr(action) + "\">" + hidden_field("csrf", csrf);
}

std::string text_field(const std::string& name, const std::string& label, const std::string& value,
                       const std::string& hint, const std::string& error,
                       const std::string& extra) {
  const std::string id = "f-" + name;
  std::string described;
  std::string html = "<div class=\"field" + std::string(error.empty() ? "" : " has-problem") +
                     "\"><label for=\"" + html_attr(id) + "\">" + html_text(label) + "</label>";
  if (!hint.empty()) {
    html += "<p class=\"hint\" id=\"" + html_attr(id) + "-hint\">" + html_text(hint) + "</p>";
    described += id + "-hint";
  }
  if (!error.empty()) {
    html +=
        "<p class=\"problem\" id=\"" + html_attr(id) + "-problem\">" + html_text(error) + "</p>";
    described += (described.empty() ? "" : " ") + id + "-problem";
  }
  html += "<input id=\"" + html_attr(id) + "\" name=\"" + html_attr(name) + "\" value=\"" +
          html_attr(value) + "\"";
  if (!described.empty()) html += " aria-describedby=\"" + html_attr(described) + "\"";
  if (!error.empty()) html += " aria-invalid=\"true\"";
  if (!extra.empty()) html += " " + extra;
  return html + "></div>";
}

std::string hidden_field(const std::string& name, const std::string& value) {
  return "<input type=\"hidden\" name=\"" + html_attr(name) + "\" value=\"" + html_attr(value) +
         "\">";
}

std::string button(const std::string& text, const char* kind) {
  return "<button type=\"submit\" class=\"" + std::string(kind) + "\">" + html_text(text) +
         "</button>";
}

std::string notice_html(const char* kind, const std::string& text) {
  const bool problem = std::string(kind) == "problem";
  return std::string("<div class=\"notice ") + kind + "\" role=\"" +
         (problem ? "alert" : "status") + "\"><p>" + html_text(text) + "</p></div>\n";
}
