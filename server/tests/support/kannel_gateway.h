#pragma once
// A real SMS gateway for a test: Kannel's bearerbox and smsbox with the fake SMSC, on free
// ports in a folder of the test's own (scripts/lib/kannel.sh), stopped again at the end. The
// texts the fake SMSC received are how a test reads what a phone would have shown.
#include <string>
#include <vector>

#include "support/service_harness.h"

struct ReceivedText {
  std::string from;
  std::string to;
  std::string text;
};

class KannelGateway {
public:
  KannelGateway() = default;
  ~KannelGateway() { stop(); }
  KannelGateway(const KannelGateway&) = delete;
  KannelGateway& operator=(const KannelGateway&) = delete;

  // 0 with the reason in `error` when Kannel is not installed or did not start.
  int start(std::string* error);
  void stop();
  // The HTTP side goes away and comes back, as when smsbox is restarted.
  void stop_smsbox();
  int start_smsbox();

  const std::string& sendsms_url() const { return sendsms_url_; }
  std::string password() const;
  std::vector<ReceivedText> texts() const;
  // Waits up to `seconds` for a text to `to` whose words hold `containing`; 1 when it came.
  int wait_for_text(const std::string& to, const std::string& containing, double seconds,
                    ReceivedText* out = nullptr) const;

private:
  int run(const char* verb) const;
  TempDir dir_;
  bool started_ = false;
  std::string sendsms_url_;
  std::string texts_file_;
};

// The 6 digits a code text begins with, or empty.
std::string code_in_text(const std::string& text);
