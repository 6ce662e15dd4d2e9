#pragma once
// Sending one text through the SMS gateway's HTTP interface (serve --sms URL): a GET of its
// sendsms URL, which carries the gateway's user name and password, with libcurl. The password
// is kept out of every error text.
#include <string>

struct SmsGateway {
  std::string sendsms_url; // http://host:13013/cgi-bin/sendsms?username=U&password=P
  std::string from;        // the sender name the phone shows: "Olvex"
  std::string report_base; // https://host:port of this service, for the delivery reports
};

const char* const kDefaultSmsFrom = "Olvex";

// 1 when `url` is an http:// or https:// address with a query holding username= and password=;
// 0 with a reason in `error` that does not repeat the password.
int valid_sendsms_url(const std::string& url, std::string* error);
// 1 for a sender name a phone can show: 1 to 11 letters, digits and blanks.
int valid_sms_from(const std::string& name);

// Where the gateway sends the delivery reports of the text with this report id: the service's
// own path, "%d" for the gateway to fill in with the report.
std::string text_report_url(const SmsGateway& gateway, const std::string& report_id);

// The whole request: the sendsms URL with from, to, text, dlr-mask=31 and dlr-url added.
std::string sendsms_request(const SmsGateway& gateway, const std::string& number,
                            const std::string& text, const std::string& report_id);

// `text` with the sendsms URL's password replaced by "***".
std::string without_password(const SmsGateway& gateway, const std::string& text);

// 1 when the gateway accepted the text (an HTTP 2xx); 0 with its reason in `error`, never
// with the password. Gives up after 10 seconds.
int sms_send(const SmsGateway& gateway, const std::string& number, const std::string& text,
             const std::string& report_id, std::string* error);
