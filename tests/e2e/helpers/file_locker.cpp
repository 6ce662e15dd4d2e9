// Holds a file open the way another program would, until it is killed.
// file_locker.exe <path> <r|rw> <none|r> <event name>
//   access: read, or read and write; sharing: none, or readers only.
// Signals the named event once the file is open; exits 2 if it cannot be opened.
#include <windows.h>
#include <stdlib.h>
#include <wchar.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (__argc < 5) return 1;
  const wchar_t* path = __wargv[1];
  const DWORD access = wcscmp(__wargv[2], L"rw") == 0 ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  const DWORD share = wcscmp(__wargv[3], L"r") == 0 ? FILE_SHARE_READ : 0;
  HANDLE file =
      CreateFileW(path, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, __wargv[4]);
  if (ready == nullptr) return 3;
  SetEvent(ready);
  CloseHandle(ready);
  Sleep(INFINITE);
  CloseHandle(file);
  return 0;
}
