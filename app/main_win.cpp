#include <windows.h>

#include "app/startup.h"
#include "app/startup_decisions.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The tail is cut from the full command line here rather than taken from the
  // runtime, so every toolchain hands app_main the same text.
  const wchar_t* tail = command_tail_of(GetCommandLineW());
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  return app_main(instance, tail, show);
}
