#include "alerts/sms_gateway.h"

#include <curl/curl.h>

namespace {

std::string url_escape(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

// The value of `name=` in the URL's query, as written there.
std::string query_value(const std::string& url, const std::string& name) {
  size_t query = url.find('?');
  if (query == std::string::npos) return std::string();
  for (size_t at = query + 1; at < url.size();) {
    size_t end = url.find('&', at);
    if (end == std::string::npos) end = url.size();
    if (url.compare(at, name.size() + 1, name + "=") == 0)
      return url.substr(at + name.size() + 1, end - at - name.size() - 1);
    at = end + 1;
  }
  return std::string();
}

size_t keep_answer(char* data, size_t size, size_t count, void* context) {
  std::string* answer = static_cast<std::string*>(context);
  if (answer->size() < 512) answer->append(data, size * count < 512 ? size * count : 512);
  return size * count;
}

} // namespace

int valid_sendsms_url(const std::string& url, std::string* error) {
  if (url.compare(0, 7, "http://") != 0 && url.compare(0, 8, "https://") != 0) {
    *error = "--sms must be the gateway's sendsms address, such as "
             "http://127.0.0.1:13013/cgi-bin/sendsms?username=U&password=P.";
    return 0;
  }
  if (query_value(url, "username").empty() || query_value(url, "password").empty()) {
    *error = "--sms must carry the gateway's username= and password= in its query.";
    return 0;
  }
  for (char c : url) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == '#') {
      *error = "--sms must be one address without blanks or '#'.";
      return 0;
    }
  }
  return 1;
}

int valid_sms_from(const std::string& name) {
  if (name.empty() || name.size() > 11 || name.front() == ' ') return 0;
  for (char c : name) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' '))
      return 0;
  }
  return 1;
}

std::string text_report_url(const SmsGateway& gateway, const std::string& report_id) {
  return gateway.report_base + "/texts/report/" + report_id + "?status=%d";
}

std::string sendsms_request(const SmsGateway& gateway, const std::string& number,
                            const std::string& text, const std::string& report_id) {
  return gateway.sendsms_url + "&from=" + url_escape(gateway.from) + "&to=" + url_escape(number) +
         "&text=" + url_escape(text) + "&charset=UTF-8&coding=0&dlr-mask=31&dlr-url=" +
         url_escape(text_report_url(gateway, report_id));
}

std::string without_password(const SmsGateway& gateway, const std::string& text) {
  const std::string password = query_value(gateway.sendsms_url, "password");
  if (password.empty()) return text;
  std::string out = text;
  for (size_t at = out.find(password); at != std::string::npos; at = out.find(password, at + 3))
    out.replace(at, password.size(), "***");
  return out;
}

int sms_send(const SmsGateway& gateway, const std::string& number, const std::string& text,
             const std::string& report_id, std::string* error) {
  CURL* curl = curl_easy_init();
  if (!curl) {
    *error = "libcurl could not start";
    return 0;
  }
  const std::string request = sendsms_request(gateway, number, text, report_id);
  std::string answer;
  char reason[CURL_ERROR_SIZE] = {0};
  curl_easy_setopt(curl, CURLOPT_URL, request.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keep_answer);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 5L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
  CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  if (code != CURLE_OK) {
    *error = without_password(gateway, reason[0] ? reason : curl_easy_strerror(code));
    return 0;
  }
  if (status < 200 || status > 299) {
    for (char& c : answer) {
      if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    *error = without_password(gateway, "the gateway answered " + std::to_string(status) + ": " +
                                           answer.substr(0, 120));
    return 0;
  }
  return 1;
}
