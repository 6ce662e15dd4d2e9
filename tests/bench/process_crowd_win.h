#pragma once
// A crowd of idle processes for the blocker benchmark: copies of one small program, each
// under a name of its own (helper-0001.exe, ...) that is on no tool list, so the process
// list grows and the blocker has names to compare but nothing to end.
#include <windows.h>

#include <cstddef>

#define CROWD_CAPACITY 512

struct ProcessCrowd {
  wchar_t folder[MAX_PATH]; // the copies live here, and go with the crowd
  wchar_t source[MAX_PATH]; // the program that is copied
  HANDLE job;               // ends the crowd should this program die first
  HANDLE processes[CROWD_CAPACITY];
  size_t count;
  unsigned retried_starts; // starts that failed once and were tried again
};

// Prepares an empty crowd of copies of `source_exe` in a fresh temporary folder.
bool crowd_open(ProcessCrowd* crowd, const wchar_t* source_exe);
// Starts further copies until `target` are running (at most CROWD_CAPACITY); false when a
// copy could not be made or started. Processes already started stay in the crowd.
bool crowd_grow_to(ProcessCrowd* crowd, size_t target);
// How many of the crowd's processes have not ended.
size_t crowd_alive(const ProcessCrowd* crowd);
// Waits until the machine's processors have been mostly idle for a moment, so a crowd
// still starting up does not compete with what is measured. Gives up after `limit_ms`;
// returns the milliseconds waited, and sets *quiet to whether it got quiet.
unsigned crowd_settle(unsigned limit_ms, bool* quiet);
// Ends every process of the crowd, waits for them, and deletes the copies and the folder.
void crowd_close(ProcessCrowd* crowd);

// Entries in a process snapshot taken now (every process of the Wine prefix), or -1.
int count_processes(void);
