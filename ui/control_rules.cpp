#include "ui/control_rules.h"

ControlRefresh decide_control_refresh(int signed_in, int entitled, int pin_sent,
                                      int blocker_enabled) {
  ControlRefresh r;
  r.show_identifier_edit = signed_in ? 0 : 1;
  r.show_pin_button = signed_in ? 0 : 1;
  // The purchase button stays until the linked account is also entitled.
  r.show_get_button = (signed_in && entitled) ? 0 : 1;
  r.pin_caption = signed_in ? nullptr : (pin_sent ? PIN_CAPTION_VERIFY : PIN_CAPTION_SEND);
  r.pause_caption = blocker_enabled ? PAUSE_CAPTION_ON : PAUSE_CAPTION_OFF;
  return r;
}
