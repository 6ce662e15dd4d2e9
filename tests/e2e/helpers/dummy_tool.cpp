// Stands in for a remote-control tool: the end-to-end tests copy it to a tool's file name
// and start it. It shows nothing and waits until something terminates it, so its exit
// code tells who ended it. After ten minutes it leaves on its own (exit code 0) so a
// failed test cannot leave it running for ever.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  Sleep(10 * 60 * 1000);
  return 0;
}
