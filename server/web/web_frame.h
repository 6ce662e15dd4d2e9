#pragma once
// What every page shares: the head (with the stylesheet, nothing from elsewhere), the site's
// header and footer, the security headers, and the small pieces forms are made of.
#include <string>

#include "web/web_request.h"

// The Content-Security-Policy of every page: only this site's stylesheet, no script, no frame,
// forms only to this site.
extern const char* const kWebContentPolicy;

// A whole page: `main_html` is already escaped HTML. `title` is plain text.
std::string page_html(const std::string& title, const std::string& main_html);

// A 200 (or `status`) page answer with the security headers and no caching.
WebAnswer page_answer(int status, const std::string& title, const std::string& main_html);
// 303 to a path of this site.
WebAnswer redirect_answer(const std::string& path);
// A page that says only `text` and offers a way on, for refusals (403, 404, 405, 413, 415).
WebAnswer message_answer(int status, const std::string& title, const std::string& text);

// The opening of a POST form to `action`, with its CSRF token.
std::string form_open(const std::string& action, const std::string& csrf);
// A labelled text input; `hint` and `error` (plain text, may be empty) are tied to it for
// screen readers. `extra` is written into the tag as it is (autocomplete, inputmode...).
std::string text_field(const std::string& name, const std::string& label, const std::string& value,
                       const std::string& hint, const std::string& error, const std::string& extra);
std::string hidden_field(const std::string& name, const std::string& value);
std::string button(const std::string& text, const char* kind = "primary");
// A notice above a section: "done" (green) or "problem" (red, read out at once).
std::string notice_html(const char* kind, const std::string& text);

// The maker's telephone line, for help and for subscribing.
#define OLVEX_HELP_LINE "0191 498 0321"
