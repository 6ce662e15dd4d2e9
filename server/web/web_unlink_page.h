#pragma once
// The page that asks before a computer is unlinked. Unlinking ends its alerts and lifts its
// Guardian lock, so a locked computer is unlinked only with a fresh code, as its lock is
// turned off: a caller may be talking someone through this page.
#include <string>

#include "store/store_family.h"
#include "web/web_request.h"

struct UnlinkView {
  DeviceLink device;
  std::string masked_identifier; // where a code goes
  bool code_sent = false;        // a code to unlink this computer is waiting to be typed
  std::string problem;           // plain text
};

WebAnswer unlink_page(int status, const UnlinkView& view, const std::string& csrf);
