#pragma once
// /family before signing in: the email or mobile, then the 6-digit code.
#include <string>

#include "web/web_request.h"

struct SignInView {
  bool code_sent = false;    // the second step: the code
  std::string masked_target; // where the code went
  std::string challenge_id;  // the code's challenge, carried by the form
  std::string typed;         // the identifier as typed, shown again after a problem
  std::string problem;       // plain text, about the field
  std::string notice;        // plain text above the form ("You have signed out.")
};

WebAnswer sign_in_page(int status, const SignInView& view, const std::string& csrf);
