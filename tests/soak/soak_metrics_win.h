#pragma once
// Figures of another process, read from outside as a support engineer's tools would.
#include <windows.h>

#include <cstdint>

struct SoakSample {
  uint64_t at_ms; // since the program started
  uint64_t private_bytes;
  uint64_t working_set;
  uint32_t handles;
  uint32_t gdi_objects;
  uint32_t user_objects;
  uint32_t threads;
  uint32_t windows; // top-level and child windows of the process (USER objects we can see)
  bool private_from_pagefile; // PrivateUsage was 0 (Wine): PagefileUsage stands in
  bool handles_from_system;   // GetProcessHandleCount gave 0 (Wine): counted system-wide
  bool gdi_from_table;        // GetGuiResources gave 0 (Wine): counted in the handle table
};

// `process` needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
bool take_sample(HANDLE process, DWORD pid, SoakSample* out);
uint32_t count_threads(DWORD pid);
uint32_t count_windows(DWORD pid);
// Open handles of `pid` from the system-wide handle list; 0 when it cannot be read.
uint32_t count_handles_system_wide(DWORD pid);
// GDI objects in use in the GDI handle table the process's PEB points to, stock objects
// left out; 0 when it cannot be read. Wine keeps one table per process; Windows keeps one
// per session, so this is only meant for when GetGuiResources has nothing to say.
uint32_t count_gdi_in_handle_table(HANDLE process);
