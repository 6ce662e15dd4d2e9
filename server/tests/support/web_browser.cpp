#include "support/web_browser.h"

namespace {

std::string url_escape(const std::string& value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : value) {
    if (isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    }
  }
  return out;
}

} // namespace

std::string form_encode(const std::string& value) { return url_escape(value); }

std::string WebPage::header(const char* name) const {
  auto it = headers.find(name);
  return it == headers.end() ? std::string() : it->second;
}

std::vector<std::string> WebPage::set_cookies() const {
  std::vector<std::string> out;
  auto range = headers.equal_range("Set-Cookie");
  for (auto it = range.first; it != range.second; ++it)
    out.push_back(it->second);
  return out;
}

std::string WebPage::input_value(const std::string& name) const {
  const std::string start = "name=\"" + name + "\" value=\"";
  size_t at = body.find(start);
  if (at == std::string::npos) return std::string();
  size_t from = at + start.size();
  return body.substr(from, body.find('"', from) - from);
}

WebBrowser::WebBrowser(int port, const std::string& host) : port_(port), host_(host) {}

WebPage WebBrowser::send(const std::string& method, const std::string& path,
                         const std::string& body) {
  httplib::SSLClient client("127.0.0.1", port_);
  client.enable_server_certificate_verification(false);
  client.set_read_timeout(10, 0);
  httplib::Request request;
  request.method = method;
  request.path = path;
  request.headers.emplace("Host", host_);
  std::string cookie_line;
  for (const auto& cookie : cookies)
    cookie_line += (cookie_line.empty() ? "" : "; ") + cookie.first + "=" + cookie.second;
  if (!cookie_line.empty()) request.headers.emplace("Cookie", cookie_line);
  if (method == "POST") {
    request.headers.emplace("Content-Type", "application/x-www-form-urlencoded");
    request.body = body;
  }
  WebPage page;
  httplib::Result result = client.send(request);
  if (!result) return page;
  page.status = result->status;
  page.body = result->body;
  page.headers = result->headers;
  for (const std::string& set : page.set_cookies()) {
    std::string pair = set.substr(0, set.find(';'));
    size_t equals = pair.find('=');
    std::string value = pair.substr(equals + 1);
    if (value.empty() || set.find("Max-Age=0") != std::string::npos) {
      cookies.erase(pair.substr(0, equals));
    } else {
      cookies[pair.substr(0, equals)] = value;
    }
  }
  last = page;
  return page;
}

WebPage WebBrowser::get(const std::string& path) { return send("GET", path, std::string()); }

WebPage WebBrowser::post(const std::string& path, const FormFields& fields, bool with_token) {
  std::string body;
  FormFields all = fields;
  if (with_token) all.emplace_back("csrf", last.input_value("csrf"));
  for (const auto& field : all)
    body += (body.empty() ? "" : "&") + url_escape(field.first) + "=" + url_escape(field.second);
  return send("POST", path, body);
}

WebPage WebBrowser::post_and_follow(const std::string& path, const FormFields& fields) {
  WebPage page = post(path, fields);
  if (page.status != 303) return page;
  return get(page.header("Location"));
}

bool WebServiceTest::web_sign_in(WebBrowser* browser, const std::string& identifier) {
  browser->get("/family");
  WebPage sent = browser->post("/family/send-code", {{"identifier", identifier}});
  if (sent.status != 200) return false;
  WebPage signed_in =
      browser->post_and_follow("/family/sign-in", {{"challenge", sent.input_value("challenge")},
                                                   {"code", last_outbox_code()}});
  return signed_in.status == 200 && signed_in.body.find("Signed in as") != std::string::npos;
}
