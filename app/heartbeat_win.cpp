#include <windows.h>

#include "app/app_state.h"
#include "app/heartbeat.h"
#include "app/ids.h"
#include "app/test_hooks.h"
#include "autostart/autostart.h"
#include "service/request_worker.h"

namespace {

// (Re)starts the timer when the wait it should have changed; an unchanged wait leaves a running
// timer alone, so that kills every few seconds never put the next beat off.
void schedule(void) {
  const unsigned wait =
      heartbeat_wait_ms(GetTickCount64(), g_app.tool_ended_tick, heartbeat_interval_ms(),
                        HEARTBEAT_AFTER_TOOL_MS, g_app.asked_heartbeat_ms);
  if (wait == g_app.heartbeat_wait_ms || g_app.main_window == nullptr) return;
  g_app.heartbeat_wait_ms = wait;
  SetTimer(g_app.main_window, IDT_HEARTBEAT, wait, nullptr);
}

} // namespace

void start_heartbeat(void) {
  g_app.heartbeat_wait_ms = 0;
  schedule();
}

void note_tool_ended(void) {
  g_app.tool_ended_tick = GetTickCount64();
  schedule();
}

void on_heartbeat_timer(void) {
  beat_now();
  schedule();
}

void note_asked_heartbeat(int seconds) {
  // Read from the network: anything but a plain number of seconds up to the usual asks nothing.
  const bool sane = seconds > 0 && static_cast<unsigned>(seconds) <= HEARTBEAT_INTERVAL_MS / 1000;
  g_app.asked_heartbeat_ms = sane ? static_cast<unsigned>(seconds) * 1000u : 0;
  schedule();
}

void beat_now(void) {
  // The Startup apps switch is read with every beat, linked or not (the box shows it).
  check_startup_switch();
  // The family page learns the computer is still there; only a linked one has a family.
  if (g_app.auth_token[0] != '\0') start_service_request(REQUEST_HEARTBEAT, nullptr, nullptr);
}
