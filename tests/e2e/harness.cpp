#include "tests/e2e/harness.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/soak/test_control_win.h"

static const wchar_t* MAIN_CLASS = L"OlvexCallwardenWndV1";

std::wstring bin_dir() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  size_t slash = p.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : p.substr(0, slash);
}

std::wstring program_path(bool test_hooks) {
  return bin_dir() + (test_hooks ? L"\\Olvex-Callwarden-testhooks.exe" : L"\\Olvex-Callwarden.exe");
}

static bool create_process(const std::wstring& exe, const std::wstring& args,
                           LaunchedProgram* out) {
  std::wstring command = L"\"" + exe + L"\"";
  if (!args.empty()) command += L" " + args;
  std::vector<wchar_t> buffer(command.begin(), command.end());
  buffer.push_back(L'\0');
  STARTUPINFOW si;
  ZeroMemory(&si, sizeof(si));
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi;
  ZeroMemory(&pi, sizeof(pi));
  if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  out->process = pi.hProcess;
  out->pid = pi.dwProcessId;
  return true;
}

bool launch(const std::wstring& exe, const std::wstring& args, LaunchedProgram* out) {
  // Under Wine a start can fail for a moment on a loaded machine (a file just copied or a
  // process just ended is still held); that says nothing about the program under test.
  const int kAttempts = 5;
  for (int attempt = 1; attempt <= kAttempts; attempt++) {
    if (create_process(exe, args, out)) return true;
    const DWORD error = GetLastError();
    std::string name;
    for (wchar_t c : exe.substr(exe.find_last_of(L"\\/") + 1))
      name.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    std::printf("[ RETRY    ] cannot start %s (error %lu)%s\n", name.c_str(),
                static_cast<unsigned long>(error), attempt < kAttempts ? ", trying again" : "");
    std::fflush(stdout);
    if (attempt < kAttempts) Sleep(400 * attempt);
  }
  return false;
}

bool launch_callwarden(const std::wstring& args, LaunchedProgram* out, bool test_hooks) {
  return launch(program_path(test_hooks), args, out);
}

bool wait_exit(LaunchedProgram* program, DWORD timeout_ms, DWORD* exit_code) {
  if (program->process == nullptr) return false;
  if (WaitForSingleObject(program->process, timeout_ms) != WAIT_OBJECT_0) return false;
  if (exit_code) GetExitCodeProcess(program->process, exit_code);
  return true;
}

bool wait_idle(LaunchedProgram* program, DWORD timeout_ms) {
  return program->process != nullptr && WaitForInputIdle(program->process, timeout_ms) == 0;
}

HWND wait_started(LaunchedProgram* program, bool shown, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  HWND w = wait_main_window(timeout_ms);
  if (w == nullptr) return nullptr;
  const ULONGLONG now = GetTickCount64();
  wait_idle(program, now >= end ? 0 : static_cast<DWORD>(end - now));
  // The window exists before start-up shows it, and its thread may answer a sent message
  // while start-up still runs; only the window's own state says it was shown.
  if (shown) {
    while (!IsWindowVisible(w) && GetTickCount64() < end)
      Sleep(20);
  }
  sync_with(w);
  return w;
}

void close_program(LaunchedProgram* program) {
  if (program->process) CloseHandle(program->process);
  program->process = nullptr;
}

HWND wait_main_window(DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    HWND w = FindWindowW(MAIN_CLASS, nullptr);
    if (w) return w;
    if (GetTickCount64() >= end) return nullptr;
    Sleep(50);
  }
}

bool wait_until(bool (*condition)(void* context), void* context, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition(context)) return true;
    if (GetTickCount64() >= end) return condition(context);
    Sleep(50);
  }
}

bool sync_with(HWND window) {
  DWORD_PTR result = 0;
  for (int round = 0; round < 2; round++) {
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) == 0) return false;
  }
  return true;
}

static bool name_is_callwarden(const wchar_t* exe) {
  return _wcsnicmp(exe, L"Olvex-Callwarden", 16) == 0;
}

void kill_callwarden() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof(entry);
  std::vector<HANDLE> victims;
  for (BOOL ok = Process32FirstW(snap, &entry); ok; ok = Process32NextW(snap, &entry)) {
    if (!name_is_callwarden(entry.szExeFile)) continue;
    HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (p == nullptr) continue;
    TerminateProcess(p, 9);
    victims.push_back(p);
  }
  CloseHandle(snap);
  for (HANDLE p : victims) {
    WaitForSingleObject(p, 5000);
    CloseHandle(p);
  }
  // The window class and mutex go with the process; give the server a moment.
  for (int i = 0; i < 40 && FindWindowW(MAIN_CLASS, nullptr); i++)
    Sleep(50);
}

HWND control(HWND main_window, int id) { return GetDlgItem(main_window, id); }

std::wstring window_text(HWND window) {
  wchar_t text[4096];
  text[0] = L'\0';
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                      nullptr);
  text[4095] = L'\0';
  return text;
}

bool is_visible(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

bool click(HWND main_window, int id) {
  HWND c = control(main_window, id);
  return c != nullptr && PostMessageW(c, BM_CLICK, 0, 0) != 0;
}

bool post_command(HWND main_window, int id) {
  return PostMessageW(main_window, WM_COMMAND, MAKEWPARAM(id, 0), 0) != 0;
}

bool set_edit_text(HWND main_window, int id, const std::wstring& text) {
  HWND c = control(main_window, id);
  if (c == nullptr) return false;
  DWORD_PTR r = 0;
  return SendMessageTimeoutW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                             5000, &r) != 0;
}

RECT control_rect(HWND main_window, int id) {
  RECT r = {0, 0, 0, 0};
  HWND c = control(main_window, id);
  if (c == nullptr) return r;
  GetWindowRect(c, &r);
  MapWindowPoints(HWND_DESKTOP, main_window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct BoxSearch {
  DWORD pid;
  std::vector<HWND> found;
};

static BOOL CALLBACK collect_box(HWND w, LPARAM lp) {
  BoxSearch* s = reinterpret_cast<BoxSearch*>(lp);
  wchar_t cls[64];
  if (GetClassNameW(w, cls, 64) == 0 || wcscmp(cls, L"#32770") != 0) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == s->pid && IsWindowVisible(w)) s->found.push_back(w);
  return TRUE;
}

std::vector<HWND> message_boxes(DWORD pid) {
  BoxSearch s;
  s.pid = pid;
  EnumWindows(collect_box, reinterpret_cast<LPARAM>(&s)); // enumerates in Z order, top first
  return s.found;
}

HWND wait_message_box(DWORD pid, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    std::vector<HWND> boxes = message_boxes(pid);
    if (!boxes.empty()) return boxes.front();
    if (GetTickCount64() >= end) return nullptr;
    Sleep(50);
  }
}

struct CaptionSearch {
  const std::wstring* caption;
  HWND found;
};

static BOOL CALLBACK find_captioned_box(HWND w, LPARAM lp) {
  CaptionSearch* s = reinterpret_cast<CaptionSearch*>(lp);
  wchar_t cls[64];
  if (GetClassNameW(w, cls, 64) == 0 || wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(w))
    return TRUE;
  if (window_text(w) != *s->caption) return TRUE;
  s->found = w;
  return FALSE;
}

HWND wait_message_box_captioned(const std::wstring& caption, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    CaptionSearch s = {&caption, nullptr};
    EnumWindows(find_captioned_box, reinterpret_cast<LPARAM>(&s));
    if (s.found != nullptr) return s.found;
    if (GetTickCount64() >= end) return nullptr;
    Sleep(50);
  }
}

std::wstring message_box_text(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  return text ? window_text(text) : std::wstring();
}

std::wstring message_box_caption(HWND box) { return window_text(box); }

bool answer_message_box(HWND box, int button_id) {
  HWND button = GetDlgItem(box, button_id);
  if (button == nullptr) return false;
  if (!PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED),
                    reinterpret_cast<LPARAM>(button)))
    return false;
  // The press is posted: until the box is gone, a message sent to the program would be
  // answered by the box's loop, and a box looked for next could be this one.
  return wait_until([](void* window) { return !IsWindow(static_cast<HWND>(window)); }, box, 15000);
}

COLORREF client_pixel(HWND main_window, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(main_window, &p);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

bool save_screen_bmp(const std::wstring& path) {
  const int w = GetSystemMetrics(SM_CXSCREEN);
  const int h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi;
  ZeroMemory(&bi, sizeof(bi));
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bmp) {
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    const DWORD stride = ((w * 3 + 3) / 4) * 4;
    const DWORD image = stride * h;
    BITMAPFILEHEADER fh;
    ZeroMemory(&fh, sizeof(fh));
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + image;
    std::string bytes(reinterpret_cast<const char*>(&fh), sizeof(fh));
    bytes.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(bi.bmiHeader));
    bytes.append(static_cast<const char*>(bits), image);
    ok = write_file_bytes(path, bytes);
    DeleteObject(bmp);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

bool reg_set_bytes(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD type,
                   const void* data, DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG r = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

bool reg_set_string(HKEY root, const wchar_t* subkey, const wchar_t* name,
                    const std::wstring& value, DWORD type) {
  return reg_set_bytes(root, subkey, name, type, value.c_str(),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool reg_get_string(HKEY root, const wchar_t* subkey, const wchar_t* name, std::wstring* out) {
  wchar_t buffer[2048];
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  ZeroMemory(buffer, sizeof(buffer));
  if (RegGetValueW(root, subkey, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                   buffer, &size) != ERROR_SUCCESS) {
    return false;
  }
  *out = buffer;
  return true;
}

void reg_delete_tree(HKEY root, const wchar_t* subkey) { RegDeleteTreeW(root, subkey); }

void reg_delete_value(HKEY root, const wchar_t* subkey, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subkey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, name);
  RegCloseKey(key);
}

std::wstring service_dir() {
  wchar_t buffer[1024];
  DWORD n = GetEnvironmentVariableW(L"CALLWARDEN_SERVICE_DIR", buffer, 1024);
  if (n == 0 || n >= 1024) return std::wstring();
  return std::wstring(buffer, n);
}

static std::vector<std::string> file_lines(const std::wstring& path) {
  std::vector<std::string> lines;
  std::istringstream in(read_file_bytes(path));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> service_requests() {
  const std::wstring dir = service_dir();
  if (dir.empty()) return {};
  return file_lines(dir + L"\\requests.jsonl");
}

size_t count_requests(const char* text) {
  size_t n = 0;
  for (const std::string& line : service_requests())
    n += line.find(text) != std::string::npos ? 1 : 0;
  return n;
}

std::string json_member(const std::string& line, const std::string& key) {
  const std::string start = "\"" + key + "\":\"";
  const size_t at = line.find(start);
  if (at == std::string::npos) return std::string();
  const size_t from = at + start.size();
  const size_t end = line.find('"', from);
  return end == std::string::npos ? std::string() : line.substr(from, end - from);
}

bool service_control(const wchar_t* path, const std::string& json) {
  return post_test_control(path, json.c_str()) == 200;
}

static std::vector<std::string> outbox_lines(bool alerts) {
  const std::wstring dir = service_dir();
  if (dir.empty()) return {};
  std::vector<std::string> lines;
  for (const std::string& line : file_lines(dir + L"\\outbox.txt")) {
    // Alerts to the family share the outbox with codes; a test waiting for a code skips them.
    if ((line.find("\"kind\":\"alert\"") != std::string::npos) == alerts) lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> service_outbox() { return outbox_lines(false); }

std::vector<std::string> service_alerts() { return outbox_lines(true); }

bool service_command(const std::string& args) {
  // The service watches this folder for command files (see scripts/with-service).
  const std::wstring dir = service_dir();
  if (dir.empty()) return false;
  static int serial = 0;
  wchar_t name[64];
  swprintf(name, 64, L"\\commands\\%lu-%d.cmd", GetCurrentProcessId(), ++serial);
  const std::wstring path = dir + name;
  const std::wstring done = path + L".done";
  if (!write_file_bytes(path + L".tmp", args + "\n")) return false;
  if (!MoveFileW((path + L".tmp").c_str(), path.c_str())) return false;
  for (int i = 0; i < 200; i++) {
    if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
      const std::string result = read_file_bytes(done);
      return result.rfind("ok", 0) == 0;
    }
    Sleep(50);
  }
  return false;
}

std::string read_file_bytes(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(f, chunk, sizeof(chunk), &got, nullptr) && got > 0)
    bytes.append(chunk, got);
  CloseHandle(f);
  return bytes;
}

bool write_file_bytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return ok && written == bytes.size();
}

std::wstring local_app_data() {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path))) return L"";
  return path;
}

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void remove_tree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_tree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

void make_parents(const std::wstring& file) {
  for (size_t at = file.find(L'\\', 3); at != std::wstring::npos; at = file.find(L'\\', at + 1))
    CreateDirectoryW(file.substr(0, at).c_str(), nullptr);
}

int blocked_bytes(const std::string& before, const std::string& after) {
  if (before.size() != after.size()) return -1;
  int n = 0;
  for (size_t i = 0; i < before.size(); i++) {
    if (before[i] == after[i]) continue;
    if (before[i] != '1' || after[i] != '2') return -1;
    n++;
  }
  return n;
}
