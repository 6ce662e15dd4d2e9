#pragma once
// Message boxes shown by handlers on the test's own thread: recorded and closed from a
// thread timer that fires inside the box's modal loop.
#include <windows.h>

#include <string>
#include <vector>

struct SeenBox {
  std::wstring caption;
  std::wstring text;
  bool warning_icon;
  bool information_icon;
};

// Every box seen since the test cleared it, oldest first.
extern std::vector<SeenBox> g_boxes;

std::wstring text_of(HWND window);
// SetTimer(nullptr, 0, period, answer_boxes) records and closes each box of this thread.
void CALLBACK answer_boxes(HWND, UINT, UINT_PTR, DWORD);
// Runs this thread's messages until `done` says so or the timeout passes.
void pump_until(bool (*done)(), DWORD timeout_ms);
