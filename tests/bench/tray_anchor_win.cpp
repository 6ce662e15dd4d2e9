#include "tests/bench/tray_anchor_win.h"

#include <windows.h>
#include <shellapi.h>

static const wchar_t kAnchorClass[] = L"OlvexCallwardenBenchAnchor";
static HWND g_anchor_window = nullptr;

static NOTIFYICONDATAW anchor_icon_data(void) {
  NOTIFYICONDATAW data;
  ZeroMemory(&data, sizeof(data));
  data.cbSize = sizeof(data);
  data.hWnd = g_anchor_window;
  data.uID = 1;
  return data;
}

bool tray_anchor_add(void) {
  WNDCLASSW wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kAnchorClass;
  RegisterClassW(&wc);
  // Message-only: no broadcast can wait on a thread that is busy timing.
  g_anchor_window = CreateWindowExW(0, kAnchorClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    wc.hInstance, nullptr);
  if (g_anchor_window == nullptr) return false;
  NOTIFYICONDATAW data = anchor_icon_data();
  data.uFlags = NIF_ICON | NIF_TIP;
  data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpynW(data.szTip, L"benchmark", ARRAYSIZE(data.szTip));
  return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void tray_anchor_remove(void) {
  if (g_anchor_window == nullptr) return;
  NOTIFYICONDATAW data = anchor_icon_data();
  Shell_NotifyIconW(NIM_DELETE, &data);
  DestroyWindow(g_anchor_window);
  g_anchor_window = nullptr;
}

int tray_icon_count(void) {
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  if (tray == nullptr) return -1;
  int n = 0;
  for (HWND c = FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr); c != nullptr;
       c = FindWindowExW(tray, c, L"__winex11_tray_icon", nullptr)) {
    n++;
  }
  return n;
}

void wait_for_tray(int count, unsigned limit_ms) {
  const ULONGLONG end = GetTickCount64() + limit_ms;
  while (tray_icon_count() > count && GetTickCount64() < end) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&m);
    Sleep(10);
  }
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetDesktopWindow(), WM_NULL, 0, 0, SMTO_NORMAL, limit_ms, &result);
}
