#include "alerts/smtp_mail.h"

#include <curl/curl.h>

#include <cstring>
#include <ctime>
#include <mutex>

namespace {

struct Upload {
  const std::string* text;
  size_t at;
};

size_t read_upload(char* buffer, size_t size, size_t count, void* context) {
  Upload* upload = static_cast<Upload*>(context);
  size_t left = upload->text->size() - upload->at;
  size_t n = size * count < left ? size * count : left;
  std::memcpy(buffer, upload->text->data() + upload->at, n);
  upload->at += n;
  return n;
}

std::string rfc5322_date(int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm parts{};
  gmtime_r(&t, &parts);
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char text[64];
  std::snprintf(text, sizeof(text), "%s, %02d %s %04d %02d:%02d:%02d +0000",
                kDays[parts.tm_wday % 7], parts.tm_mday, kMonths[parts.tm_mon % 12],
                parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

// A header value on one line, whatever it was given.
std::string header_value(const std::string& text) {
  std::string out;
  for (char c : text)
    out.push_back(c == '\r' || c == '\n' ? ' ' : c);
  return out;
}

} // namespace

std::string mail_text(const MailMessage& message) {
  std::string text = "Date: " + rfc5322_date(message.date) + "\r\n" + "From: Olvex Callwarden <" +
                     header_value(message.from) + ">\r\n" + "To: <" + header_value(message.to) +
                     ">\r\n" + "Subject: " + header_value(message.subject) + "\r\n" +
                     "MIME-Version: 1.0\r\n"
                     "Content-Type: text/plain; charset=utf-8\r\n"
                     "Content-Transfer-Encoding: 8bit\r\n\r\n";
  for (char c : message.body) {
    if (c == '\n') {
      text += "\r\n";
    } else if (c != '\r') {
      text.push_back(c);
    }
  }
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) text += "\r\n";
  return text;
}

void smtp_prepare() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int smtp_send(const std::string& url, const MailMessage& message, std::string* error) {
  CURL* curl = curl_easy_init();
  if (!curl) {
    *error = "libcurl could not start";
    return 0;
  }
  const std::string text = mail_text(message);
  Upload upload{&text, 0};
  const std::string from = "<" + message.from + ">";
  const std::string to = "<" + message.to + ">";
  curl_slist* recipients = curl_slist_append(nullptr, to.c_str());
  char reason[CURL_ERROR_SIZE] = {0};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.c_str());
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, read_upload);
  curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(text.size()));
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
  // Signals are the request threads' business; a timeout must not raise one.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 5L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
  CURLcode code = curl_easy_perform(curl);
  curl_slist_free_all(recipients);
  curl_easy_cleanup(curl);
  if (code == CURLE_OK) return 1;
  *error = reason[0] ? reason : curl_easy_strerror(code);
  return 0;
}
