#pragma once
// /family once signed in: the computers linked, what happened, the Guardian PIN, who gets
// alerts, and signing out.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "store/store_family.h"
#include "store/store_texts.h"
#include "web/web_request.h"

// Where a problem is shown, beside the form it is about.
enum FamilySection { kSectionNone, kSectionComputers, kSectionPin, kSectionAlerts };

struct FamilyView {
  Account account;
  std::vector<DeviceLink> devices;
  std::vector<AccountEvent> events; // newest first
  std::map<std::string, int> verdicts;
  std::vector<AlertContact> contacts;
  std::map<std::string, TextStatus> alert_texts; // the last alert texted, by international number
  bool pin_code_sent = false;                    // a code for a PIN change is waiting to be typed
  bool lock_code_sent = false; // a code to take a Guardian lock off is waiting to be typed
  std::string done;            // plain text: what the last form did
  FamilySection problem_section = kSectionNone;
  std::string problem;  // plain text
  std::string weak_pin; // why the PIN typed is easy to guess; asks to confirm
  std::string typed;    // what was typed into the form with the problem (not a PIN)
  int64_t now = 0;
};

// How far back "What happened" reaches.
const int64_t kHistorySeconds = 30 * 24 * 60 * 60;

WebAnswer family_page(int status, const FamilyView& view, const std::string& csrf);
