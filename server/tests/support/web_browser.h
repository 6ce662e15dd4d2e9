#pragma once
// A small browser for the service's web host in tests: it names the web host in every request,
// keeps the cookies it is given, and sends each form back with the token of the last page.
#include <httplib.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/service_harness.h"

struct WebPage {
  int status = 0; // 0 when no answer came
  std::string body;
  httplib::Headers headers;
  std::string header(const char* name) const;
  // Every Set-Cookie header of the answer.
  std::vector<std::string> set_cookies() const;
  // The value of the first `name="NAME" value="..."` input on the page, or empty.
  std::string input_value(const std::string& name) const;
};

using FormFields = std::vector<std::pair<std::string, std::string>>;

class WebBrowser {
public:
  explicit WebBrowser(int port, const std::string& host = "www.olvex.example");
  WebPage get(const std::string& path);
  // Sends the fields with the last page's CSRF token added, unless `with_token` is false.
  WebPage post(const std::string& path, const FormFields& fields, bool with_token = true);
  // Follows a 303 as a browser would.
  WebPage post_and_follow(const std::string& path, const FormFields& fields);
  std::map<std::string, std::string> cookies;
  WebPage last;

private:
  WebPage send(const std::string& method, const std::string& path, const std::string& body);
  int port_;
  std::string host_;
};

// Form encoding of one value.
std::string form_encode(const std::string& value);

// A service test that also signs a browser in on the family page.
class WebServiceTest : public ServiceTest {
protected:
  // Signs the browser in by the code the outbox holds; true when the page says who it is.
  bool web_sign_in(WebBrowser* browser, const std::string& identifier);
};
