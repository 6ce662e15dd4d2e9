#include <windows.h>
#include <commctrl.h>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/main_window_proc.h"
#include "app/startup.h"
#include "app/startup_decisions.h"
#include "autostart/uninstall.h"
#include "protection/protection_report.h"

#ifndef DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
#define DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 ((HANDLE)-4)
#endif

HFONT create_ui_font(int size, int weight) {
  return CreateFontW(-scale(size), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, L"Segoe UI");
}

static HKEY root_key_of(RegistryRoot root) {
  return root == REGISTRY_LOCAL_MACHINE ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

static bool read_token_value(void*, RegistryRoot root, const wchar_t* subkey,
                             const wchar_t* value_name, char* out, size_t capacity) {
  return read_registry_string(root_key_of(root), subkey, value_name, out, capacity);
}

// Present from Windows 10 1703 on; older systems keep the manifest's awareness.
static void enable_per_monitor_dpi_awareness(void) {
  typedef BOOL(WINAPI * SetContextFn)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return;
  FARPROC proc = GetProcAddress(user32, "SetProcessDpiAwarenessContext");
  if (proc == nullptr) return;
  SetContextFn set_context = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(proc));
  set_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

static void read_screen_dpi(void) {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return;
  g_app.dpi = static_cast<unsigned>(pick_screen_dpi(GetDeviceCaps(screen, LOGPIXELSX)));
  ReleaseDC(nullptr, screen);
}

static void read_device_label(void) {
  wchar_t name[96];
  ZeroMemory(name, sizeof(name));
  DWORD size = 95;
  const bool have_name = GetComputerNameW(name, &size) != 0 && name[0] != L'\0';
  pick_device_label(have_name ? name : nullptr, g_app.device_label, sizeof(g_app.device_label));
}

static void create_drawing_resources(void) {
  g_app.font_header = create_ui_font(20, 700);
  g_app.font_small = create_ui_font(12, 400);
  g_app.font_card_title = create_ui_font(14, 700);
  g_app.font_body = create_ui_font(13, 400);
  g_app.font_button = create_ui_font(13, 600);
  g_app.font_status = create_ui_font(15, 700);
  g_app.font_detail_small = create_ui_font(12, 400);
  g_app.font_detail_smaller = create_ui_font(11, 400);
  g_app.background_brush = CreateSolidBrush(RGB(241, 245, 249));
  g_app.static_brush = CreateSolidBrush(RGB(255, 255, 255));
  g_app.large_icon = static_cast<HICON>(LoadImageW(g_app.instance, MAKEINTRESOURCEW(IDI_APP_ICON),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                   GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
  g_app.small_icon = static_cast<HICON>(LoadImageW(g_app.instance, MAKEINTRESOURCEW(IDI_APP_ICON),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

static void register_main_class(void) {
  HICON shield = LoadIconW(nullptr, IDI_SHIELD);
  WNDCLASSEXW wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.cbSize = sizeof(wc);
  wc.style = 0; // no CS_HREDRAW/CS_VREDRAW: the paint covers everything itself
  wc.lpfnWndProc = main_window_proc;
  wc.hInstance = g_app.instance;
  wc.hIcon = g_app.large_icon ? g_app.large_icon : shield;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = g_app.background_brush;
  wc.lpszClassName = CALLWARDEN_WINDOW_CLASS;
  wc.hIconSm = g_app.small_icon ? g_app.small_icon : shield;
  RegisterClassExW(&wc);
}

static const DWORD MAIN_WINDOW_STYLE = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

static HWND create_main_window(void) {
  RECT outer = {0, 0, scale(680), scale(622)};
  AdjustWindowRectEx(&outer, MAIN_WINDOW_STYLE, FALSE, 0);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  RECT work = {0, 0, 1920, 1080};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const WindowPosition at =
      centre_in_work_area(work.left, work.top, work.right, work.bottom, width, height);
  return CreateWindowExW(WS_EX_APPWINDOW, CALLWARDEN_WINDOW_CLASS, CALLWARDEN_WINDOW_TITLE,
                         MAIN_WINDOW_STYLE, at.x, at.y, width, height, nullptr, nullptr,
                         g_app.instance, nullptr);
}

static void delete_drawing_resources(void) {
  HFONT fonts[] = {g_app.font_header,       g_app.font_small,         g_app.font_card_title,
                   g_app.font_body,         g_app.font_button,        g_app.font_status,
                   g_app.font_detail_small, g_app.font_detail_smaller};
  for (HFONT font : fonts) {
    if (font) DeleteObject(font);
  }
  if (g_app.background_brush) DeleteObject(g_app.background_brush);
  if (g_app.static_brush) DeleteObject(g_app.static_brush);
  if (g_app.large_icon) DestroyIcon(g_app.large_icon);
  if (g_app.small_icon) DestroyIcon(g_app.small_icon);
}

int app_main(HINSTANCE instance, const wchar_t* command_tail, int show_command) {
  (void)show_command; // the window's visibility follows the tray flag alone
  reset_app_state();
  g_app.instance = instance;
  // Who this computer is, also for the uninstall's report to the family.
  read_device_label();
  discover_auth_token(read_token_value, nullptr, g_app.auth_token, sizeof(g_app.auth_token));
  // The uninstall runs on its own, beside (and then without) a running program.
  const int uninstall_exit = run_uninstall_command(command_tail);
  if (uninstall_exit >= 0) return uninstall_exit;
  const bool tray_only = has_tray_flag(command_tail);

  HANDLE mutex = CreateMutexW(nullptr, TRUE, CALLWARDEN_MUTEX_NAME);
  if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    HWND first = FindWindowW(CALLWARDEN_WINDOW_CLASS, nullptr);
    if (first != nullptr && !tray_only) PostMessageW(first, WM_APP_SHOW, 0, 0);
    CloseHandle(mutex);
    return 0;
  }

  enable_per_monitor_dpi_awareness();
  read_screen_dpi();

  INITCOMMONCONTROLSEX icc;
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&icc);

  note_run_started();
  g_app.guardian_lock = g_app.auth_token[0] != '\0' && read_guardian_lock();
  create_drawing_resources();
  register_main_class();

  HWND window = create_main_window();
  if (window == nullptr) {
    if (mutex) CloseHandle(mutex);
    return 1;
  }
  if (!tray_only) {
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetForegroundWindow(window);
  }

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  delete_drawing_resources();
  if (mutex) CloseHandle(mutex);
  return 0;
}
