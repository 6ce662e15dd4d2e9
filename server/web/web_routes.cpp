#include "web/web_routes.h"

#include "api/api_answer.h"
#include "base/secure_random.h"
#include "base/service_hosts.h"
#include "store/store_pool.h"
#include "web/web_form.h"
#include "web/web_frame.h"
#include "web/web_handlers.h"

namespace {

struct WebRoute {
  const char* path;
  const char* method;
  bool needs_session;
  WebAnswer (*handler)(WebCall*);
};

const WebRoute kWebRoutes[] = {
    {"/callwarden", "GET", false, get_pricing},
    {"/style.css", "GET", false, get_stylesheet},
    {"/family", "GET", false, get_family},
    {"/family/send-code", "POST", false, post_send_code},
    {"/family/sign-in", "POST", false, post_sign_in},
    {"/family/sign-out", "POST", true, post_sign_out},
    {"/family/pin/send-code", "POST", true, post_pin_code},
    {"/family/pin", "POST", true, post_pin},
    {"/family/contacts/add", "POST", true, post_contact_add},
    {"/family/contacts/confirm", "POST", true, post_contact_confirm},
    {"/family/contacts/remove", "POST", true, post_contact_remove},
    {"/family/computers/name", "POST", true, post_computer_name},
    {"/family/computers/unlink", "GET", true, get_unlink},
    {"/family/computers/unlink", "POST", true, post_computer_unlink},
    {"/family/computers/unlink/send-code", "POST", true, post_unlink_code},
    {"/family/alerts/scam", "POST", true, post_scam_alerts},
    {"/family/computers/lock", "POST", true, post_lock_on},
    {"/family/computers/lock/send-code", "POST", true, post_lock_code},
    {"/family/computers/unlock", "POST", true, post_lock_off},
};

const char* const kSignInAgain =
    "Please sign in again. You were signed out, or nobody used this page for 30 days.";

bool is_form_type(const std::string& content_type) {
  std::string media = content_type.substr(0, content_type.find(';'));
  while (!media.empty() && media.back() == ' ')
    media.pop_back();
  for (char& c : media)
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return media == "application/x-www-form-urlencoded";
}

// Finds the session of the cookie; a cookie that names none is removed from the browser. False
// when the store could not look: the browser keeps its cookie, and nobody is signed out by it.
bool read_session(WebCall* call) {
  const std::string id = cookie_value(call->request->cookie_header, SESSION_COOKIE);
  if (id.empty()) return true;
  Lookup found = store_find_session(call->store, id, call->request->now, &call->session);
  if (found == Lookup::kFound)
    found = store_find_account_by_id(call->store, call->session.account_id, &call->account);
  if (found == Lookup::kFailed) return false;
  if (found == Lookup::kFound) {
    call->signed_in = true;
    call->session_id = id;
    // The browser keeps the cookie as long as the session may stay idle, from its last use.
    call->cookies_to_set.emplace_back(SESSION_COOKIE,
                                      cookie_header(SESSION_COOKIE, id, kSessionIdleSeconds));
  } else {
    call->cookies_to_set.emplace_back(SESSION_COOKIE, cookie_header(SESSION_COOKIE, "", 0));
  }
  return true;
}

// The sign-in forms' cookie, made when the browser has none yet.
bool ensure_form_cookie(WebCall* call) {
  call->form_cookie = cookie_value(call->request->cookie_header, FORM_COOKIE);
  if (!call->form_cookie.empty()) return true;
  if (!random_hex(16, &call->form_cookie)) return false;
  call->cookies_to_set.emplace_back(FORM_COOKIE, cookie_header(FORM_COOKIE, call->form_cookie, -1));
  return true;
}

// The token sent must be the one this browser's forms were given: a page of another site can
// make the browser send the cookie, but cannot read the token.
bool form_token_ok(WebCall* call, const WebRoute& route) {
  const std::string expected =
      route.needs_session
          ? store_session_form_token(call->store, call->session_id)
          : store_sign_in_form_token(call->store,
                                     cookie_value(call->request->cookie_header, FORM_COOKIE));
  return store_form_token_matches(expected, form_field(call->form, "csrf"));
}

WebAnswer route_call(WebCall* call, const WebRoute& route) {
  const WebRequest& request = *call->request;
  if (route.method[0] == 'P') {
    if (request.body.size() > kMaxFormBytes)
      return message_answer(413, "Too much was sent", "That form held more than it can.");
    if (!is_form_type(request.content_type))
      return message_answer(415, "Not a form", "Please send this page's form from the page.");
    if (!parse_form(request.body, &call->form))
      return message_answer(400, "Not a form", "That form could not be read.");
  } else if (!parse_form(request.query, &call->form)) {
    call->form.clear();
  }
  StoreLease lease(call->context->store);
  call->store = lease.get();
  if (!call->store || !read_session(call)) {
    WebAnswer answer = message_answer(503, "Please try again in a moment",
                                      "The service could not reach its records just now. "
                                      "Nothing was changed. Please try again in a moment.");
    answer.headers.emplace_back("Retry-After", std::to_string(kStoreRetrySeconds));
    return answer;
  }
  if (!call->signed_in && !ensure_form_cookie(call))
    return message_answer(500, "Something went wrong", "Please try again in a moment.");
  call->csrf = call->signed_in ? store_session_form_token(call->store, call->session_id)
                               : store_sign_in_form_token(call->store, call->form_cookie);
  if (route.needs_session && !call->signed_in) {
    SignInView view;
    view.notice = kSignInAgain;
    return show_sign_in(call, 401, view);
  }
  if (route.method[0] == 'P' && !form_token_ok(call, route)) {
    return with_cookies(call, message_answer(403, "This form had expired",
                                             "Nothing was changed. Please open the family page "
                                             "again and use the form there."));
  }
  return route.handler(call);
}

} // namespace

WebAnswer handle_web_request(ServiceContext* context, const WebRequest& request) {
  std::string allowed; // the methods of the path, for a 405
  for (const WebRoute& route : kWebRoutes) {
    if (request.path != route.path) continue;
    allowed += (allowed.empty() ? "" : ", ") + std::string(route.method);
    if (request.method != route.method) continue;
    WebCall call;
    call.context = context;
    call.request = &request;
    return route_call(&call, route);
  }
  if (!allowed.empty()) {
    WebAnswer answer = message_answer(405, "Not here", "This address cannot be used that way.");
    answer.headers.emplace_back("Allow", allowed);
    return answer;
  }
  return message_answer(404, "Page not found",
                        "There is no page at this address. The family page is at " + web_origin() +
                            "/family.");
}
