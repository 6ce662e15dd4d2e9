#pragma once
// What the account and blocker state make of the controls' visibility and captions.

#define PIN_CAPTION_SEND L"Send 6-Digit PIN"
#define PIN_CAPTION_VERIFY L"Verify 6-Digit PIN"
#define PAUSE_CAPTION_ON L"Pause Blocker"
#define PAUSE_CAPTION_OFF L"Turn On Blocker"
#define IDENTIFIER_CUE_START L"Email or UK Mobile (07...)"

struct ControlRefresh {
  int show_identifier_edit;
  int show_pin_button;
  int show_get_button;
  const wchar_t* pin_caption; // null: leave the caption as it is (signed in, button hidden)
  const wchar_t* pause_caption;
};

ControlRefresh decide_control_refresh(int signed_in, int entitled, int pin_sent,
                                      int blocker_enabled);
