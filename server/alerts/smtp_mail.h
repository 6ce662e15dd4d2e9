#pragma once
// Sending one email through an SMTP server with libcurl (serve --smtp smtp://host:port).
#include <cstdint>
#include <string>

struct MailMessage {
  std::string from; // an address, no display name
  std::string to;   // a normalised email address (identifier.h)
  std::string subject;
  std::string body; // plain text, lines ending in \n
  int64_t date;     // seconds since 1970
};

// The message as sent: headers and body, every line ending in CRLF.
std::string mail_text(const MailMessage& message);

// Once, before any thread sends: libcurl's global set-up.
void smtp_prepare();

// 1 when the server took the message; 0 with its reason in `error`. Gives up after 20 seconds.
int smtp_send(const std::string& url, const MailMessage& message, std::string* error);
