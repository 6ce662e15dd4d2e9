#pragma once
// The heartbeat: a linked computer's status call, which the service's silence watch counts on.
// Every 5 minutes, and every minute for the hour after the blocker ended a remote tool, since
// a program ended straight after a blocked tool is the scam's own pattern and the service
// then alerts a silence within minutes. Each beat also reads the Startup apps switch.
#include <cstdint>

#define HEARTBEAT_INTERVAL_MS (5u * 60u * 1000u)
#define HEARTBEAT_AFTER_TOOL_MS (60u * 1000u)
#define HEARTBEAT_AFTER_TOOL_FOR_MS (60ull * 60ull * 1000ull)

// The wait before the next beat at tick `now`: `after_tool` within HEARTBEAT_AFTER_TOOL_FOR_MS of
// a tool ended at tick `tool_ended` (0 for none yet), `usual` otherwise; shorter when the service
// asked for less (`asked_ms`, 0 for nothing asked), as after a start within its hour of a
// blocked tool, but never below a second.
unsigned heartbeat_wait_ms(uint64_t now, uint64_t tool_ended, unsigned usual, unsigned after_tool,
                           unsigned asked_ms);

// Starts the beat with the window (the first status call is the start-up's own).
void start_heartbeat(void);
// The blocker ended a tool: beats come every minute from now for the hour after it.
void note_tool_ended(void);
// IDT_HEARTBEAT: the beat itself, and the wait to the next.
void on_heartbeat_timer(void);
// Awake again after sleep: the service hears at once that the computer is back.
void beat_now(void);
// A status answer's "heartbeat_seconds" (0 when it said none).
void note_asked_heartbeat(int seconds);
