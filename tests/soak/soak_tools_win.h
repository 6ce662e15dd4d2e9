#pragma once
// Stand-ins for remote-control tools (copies of dummy_tool.exe under the listed names),
// and the test build's registry settings that compress the day.
#include <windows.h>

#include <cstdint>

#define SOAK_TOOL_NAMES 9

// The listed executable names, in the blocker's order.
const wchar_t* soak_tool_name(int index);

// Copies `dummy_exe` into a fresh temporary folder under every listed name; the folder
// (ending without '\') is written to `folder`.
bool prepare_tool_copies(const wchar_t* dummy_exe, wchar_t* folder, size_t capacity);
void remove_tool_copies(const wchar_t* folder);

struct ToolRun {
  HANDLE process;
  ULONGLONG started_at;
};

bool start_tool(const wchar_t* folder, int index, ToolRun* run);
// Waits for the tool to end. True when something terminated it with exit code 1 (the
// blocker's) within `timeout_ms`; how long it lived is written to `lived_ms`. A tool still
// running at the timeout is ended here so it cannot linger.
bool wait_tool_blocked(ToolRun* run, DWORD timeout_ms, DWORD* lived_ms, DWORD* exit_code);

// HKCU\Software\Olvex\CallwardenTest, read by the test build.
bool set_test_dword(const wchar_t* name, DWORD value);
void remove_test_key(void);

// The interval at which a timer of `interval_ms` really fires here when every tick does
// what the blocker's does (a process snapshot walk and a registry read): measured over
// `measure_ms` on a thread of this process.
double measure_effective_interval(UINT interval_ms, DWORD measure_ms);
