#pragma once
// One web request on its way through a handler: the form it sent, its session (when signed
// in), the store connection it borrowed and the token its forms must carry back.
#include <map>
#include <string>

#include "core/service_context.h"
#include "store/store_family.h"
#include "web/web_family_page.h"
#include "web/web_request.h"
#include "web/web_sign_in_page.h"

struct WebCall {
  ServiceContext* context = nullptr;
  const WebRequest* request = nullptr;
  ServiceStore* store = nullptr;
  std::map<std::string, std::string> form; // the POST body, or the query of a GET
  bool signed_in = false;
  std::string session_id; // from the cookie, once found valid
  WebSession session;
  Account account;         // the session's
  std::string form_cookie; // before sign-in: ties the sign-in forms to this browser
  std::string csrf;        // the token this request's forms carry
  std::vector<std::pair<std::string, std::string>> cookies_to_set; // Set-Cookie values
};

#define SESSION_COOKIE "__Host-olvex_session"
#define FORM_COOKIE "__Host-olvex_form"

// Set-Cookie values: Secure, HttpOnly, SameSite=Strict, the whole site (the __Host- prefix
// makes browsers insist on the first two and on no Domain). `max_age` < 0: until the browser
// closes; 0: remove it now.
std::string cookie_header(const char* name, const std::string& value, long long max_age);

// The field's value, or empty.
const std::string& field(const WebCall* call, const char* name);

// The family page, with everything it shows read from the store; 500 when that fails.
WebAnswer show_family(WebCall* call, int status, FamilyView view);
WebAnswer show_sign_in(WebCall* call, int status, const SignInView& view);
// The answer with the call's cookies added.
WebAnswer with_cookies(const WebCall* call, WebAnswer answer);
