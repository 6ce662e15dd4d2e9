#include "app/heartbeat.h"

unsigned heartbeat_wait_ms(uint64_t now, uint64_t tool_ended, unsigned usual, unsigned after_tool,
                           unsigned asked_ms) {
  unsigned wait = usual;
  if (tool_ended != 0 && now >= tool_ended && now - tool_ended < HEARTBEAT_AFTER_TOOL_FOR_MS &&
      after_tool < wait)
    wait = after_tool;
  if (asked_ms != 0 && asked_ms < wait) wait = asked_ms < 1000 ? 1000 : asked_ms;
  return wait;
}
