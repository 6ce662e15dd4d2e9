#include "tests/soak/soak_boxes_win.h"

#include <cwchar>

namespace {

const wchar_t kAlertCaption[] = L"Olvex Callwarden \u2014 Remote Scam Blocked";
const wchar_t kSignInCaption[] = L"Olvex Callwarden Sign-In";
const wchar_t kOverrideCaption[] = L"Olvex Callwarden Override";

const int kMaxBoxes = 256;
const int kRemembered = 1024;
const ULONGLONG kPressAgainMs = 1000;

struct Dismisser {
  DWORD pid;
  HANDLE thread;
  volatile LONG stop;
  volatile LONG paused;
  volatile LONG open_now;
  volatile LONG64 last_seen_at;
  CRITICAL_SECTION lock; // guards tally
  BoxTally tally;
  // Boxes already counted; a box keeps its handle until it is gone, so it is counted once.
  HWND counted[kRemembered];
  ULONGLONG pressed_at[kRemembered];
  int counted_length;
};

Dismisser g_dismisser;

struct BoxSearch {
  DWORD pid;
  HWND* out;
  int capacity;
  int found;
};

BOOL CALLBACK collect_box(HWND window, LPARAM context) {
  BoxSearch* s = reinterpret_cast<BoxSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != s->pid) return TRUE;
  wchar_t cls[16];
  if (GetClassNameW(window, cls, ARRAYSIZE(cls)) == 0 || wcscmp(cls, L"#32770") != 0) return TRUE;
  if (s->found < s->capacity) s->out[s->found++] = window;
  return TRUE;
}

// Index of the box among those counted, or -1.
int counted_index(HWND box) {
  for (int i = 0; i < g_dismisser.counted_length; i++) {
    if (g_dismisser.counted[i] == box) return i;
  }
  return -1;
}

void forget_closed_boxes(void) {
  int kept = 0;
  for (int i = 0; i < g_dismisser.counted_length; i++) {
    if (!IsWindow(g_dismisser.counted[i])) continue;
    g_dismisser.counted[kept] = g_dismisser.counted[i];
    g_dismisser.pressed_at[kept] = g_dismisser.pressed_at[i];
    kept++;
  }
  g_dismisser.counted_length = kept;
}

// Index of the box among those counted (-1 when the list is full); counts a new one.
int count_box(HWND box) {
  const int known = counted_index(box);
  if (known >= 0) return known;
  int index = -1;
  if (g_dismisser.counted_length < kRemembered) {
    index = g_dismisser.counted_length++;
    g_dismisser.counted[index] = box;
    g_dismisser.pressed_at[index] = 0;
  }
  wchar_t caption[128];
  ZeroMemory(caption, sizeof(caption));
  // InternalGetWindowText reads the caption without sending a message to the busy program.
  InternalGetWindowText(box, caption, ARRAYSIZE(caption));
  EnterCriticalSection(&g_dismisser.lock);
  if (wcscmp(caption, kAlertCaption) == 0) {
    g_dismisser.tally.alerts++;
  } else if (wcscmp(caption, kSignInCaption) == 0) {
    g_dismisser.tally.sign_in++;
  } else if (wcscmp(caption, kOverrideCaption) == 0) {
    g_dismisser.tally.override_pin++;
  } else {
    g_dismisser.tally.other++;
  }
  LeaveCriticalSection(&g_dismisser.lock);
  return index;
}

void answer_box(HWND box) {
  // OK for notices and failures; No, the default, for any question.
  if (press_button(box, IDOK)) return;
  if (press_button(box, IDNO)) return;
  press_button(box, IDCANCEL);
}

DWORD WINAPI dismiss_loop(LPVOID) {
  HWND boxes[kMaxBoxes];
  while (!g_dismisser.stop) {
    const int n = find_boxes(g_dismisser.pid, boxes, kMaxBoxes);
    InterlockedExchange(&g_dismisser.open_now, n);
    if (n > 0) {
      InterlockedExchange64(&g_dismisser.last_seen_at, static_cast<LONG64>(GetTickCount64()));
      EnterCriticalSection(&g_dismisser.lock);
      if (n > g_dismisser.tally.most_open) g_dismisser.tally.most_open = n;
      LeaveCriticalSection(&g_dismisser.lock);
    }
    forget_closed_boxes();
    const ULONGLONG now = GetTickCount64();
    for (int i = 0; i < n; i++) {
      // A box is listed while it is still being made, before it has its caption; it is
      // counted and answered once it is shown, as a user would first see it.
      if (!IsWindowVisible(boxes[i])) continue;
      const int index = count_box(boxes[i]);
      if (g_dismisser.paused) continue;
      // A box under a nested one stays until the inner ones are gone; pressing it again
      // every round would only flood the program's queue.
      if (index >= 0 && g_dismisser.pressed_at[index] != 0 &&
          now - g_dismisser.pressed_at[index] < kPressAgainMs) {
        continue;
      }
      answer_box(boxes[i]);
      if (index >= 0) g_dismisser.pressed_at[index] = now;
    }
    Sleep(n > 0 ? 10 : 25);
  }
  return 0;
}

} // namespace

int find_boxes(DWORD pid, HWND* out, int capacity) {
  BoxSearch s = {pid, out, capacity, 0};
  EnumWindows(collect_box, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

bool press_button(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  if (button == nullptr) return false;
  // Posted, not sent: a box under a nested one answers only when its loop runs again.
  return PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button)) != 0;
}

void start_box_dismisser(DWORD pid) {
  ZeroMemory(&g_dismisser, sizeof(g_dismisser));
  InitializeCriticalSection(&g_dismisser.lock);
  g_dismisser.pid = pid;
  g_dismisser.thread = CreateThread(nullptr, 0, dismiss_loop, nullptr, 0, nullptr);
}

void stop_box_dismisser(void) {
  if (g_dismisser.thread == nullptr) return;
  InterlockedExchange(&g_dismisser.stop, 1);
  WaitForSingleObject(g_dismisser.thread, 5000);
  CloseHandle(g_dismisser.thread);
  g_dismisser.thread = nullptr;
}

void pause_box_dismisser(bool paused) { InterlockedExchange(&g_dismisser.paused, paused ? 1 : 0); }

void box_tally(BoxTally* out) {
  EnterCriticalSection(&g_dismisser.lock);
  *out = g_dismisser.tally;
  LeaveCriticalSection(&g_dismisser.lock);
}

int open_boxes(void) { return static_cast<int>(g_dismisser.open_now); }

ULONGLONG last_box_seen_at(void) {
  return static_cast<ULONGLONG>(InterlockedCompareExchange64(&g_dismisser.last_seen_at, 0, 0));
}
