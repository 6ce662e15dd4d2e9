#include "tests/win/seen_boxes.h"

std::vector<SeenBox> g_boxes;

std::wstring text_of(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(window, &text[0], length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

static HICON box_icon(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      return reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    }
  }
  return nullptr;
}

static BOOL CALLBACK answer_box(HWND window, LPARAM) {
  wchar_t class_name[16];
  if (GetClassNameW(window, class_name, 16) == 0 || wcscmp(class_name, L"#32770") != 0) return TRUE;
  if (!IsWindowVisible(window)) return TRUE;
  const HICON icon = box_icon(window);
  g_boxes.push_back({text_of(window), text_of(GetDlgItem(window, 0xFFFF)),
                     icon != nullptr && icon == LoadIconW(nullptr, IDI_WARNING),
                     icon != nullptr && icon == LoadIconW(nullptr, IDI_INFORMATION)});
  EndDialog(window, IDOK);
  return TRUE;
}

// A thread timer: it fires inside the modal loop of any box a handler shows.
void CALLBACK answer_boxes(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), answer_box, 0);
}

void pump_until(bool (*done)(), DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  while (!done() && GetTickCount64() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}
