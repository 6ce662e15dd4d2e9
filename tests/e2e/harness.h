#pragma once
// Drives the real Olvex-Callwarden.exe from another Windows program, as a person would:
// start it, find its window and controls, click, read texts, answer message boxes.
#include <windows.h>

#include <string>
#include <vector>

struct LaunchedProgram {
  HANDLE process;
  DWORD pid;
};

// Folder holding e2e_tests.exe, the program and the helper programs (ends without '\').
std::wstring bin_dir();
// Full path of Olvex-Callwarden.exe, or of the test-hook build when `test_hooks`.
std::wstring program_path(bool test_hooks = false);

// Starts `exe` with `args` (may be empty). `args` is appended after the quoted path. A start
// that fails is tried again a few times, each failure printed with its error.
bool launch(const std::wstring& exe, const std::wstring& args, LaunchedProgram* out);
// Starts the program; empty args means no command tail.
bool launch_callwarden(const std::wstring& args, LaunchedProgram* out, bool test_hooks = false);
// Waits for the process to end; false on timeout. `exit_code` may be null.
bool wait_exit(LaunchedProgram* program, DWORD timeout_ms, DWORD* exit_code);
void close_program(LaunchedProgram* program);
// Waits until the program's message loop is waiting for input (start-up finished).
bool wait_idle(LaunchedProgram* program, DWORD timeout_ms);
// Waits for the program's main window, for start-up to finish and, when `shown`, for the
// window to be shown; null when the window did not appear within the timeout.
HWND wait_started(LaunchedProgram* program, bool shown, DWORD timeout_ms);

// The main window (class "OlvexCallwardenWndV1"), polled until it exists or the timeout.
HWND wait_main_window(DWORD timeout_ms);
// Polls `condition` every 50 ms until true or the timeout; returns the last result.
bool wait_until(bool (*condition)(void* context), void* context, DWORD timeout_ms);
// Waits until the window's thread has taken everything posted or sent to it before. A thread
// answers sent messages ahead of its posted ones, so one round trip can overtake a message
// posted just before it; the second is answered only after the thread has taken that message.
bool sync_with(HWND window);

// Ends every running copy of the program and any message box it left, and waits for it to go.
void kill_callwarden();

HWND control(HWND main_window, int id);
std::wstring window_text(HWND window);
bool is_visible(HWND window);
// Posts BM_CLICK to the control, as a mouse click would, without waiting for its handler.
bool click(HWND main_window, int id);
// Posts WM_COMMAND with the id, as a tray-menu choice arrives.
bool post_command(HWND main_window, int id);
// Sets an edit's text as typing would.
bool set_edit_text(HWND main_window, int id, const std::wstring& text);
// Client-area rectangle of a control, in the main window's client coordinates.
RECT control_rect(HWND main_window, int id);

// A message box ("#32770") of process `pid`, polled until one appears; null on timeout.
HWND wait_message_box(DWORD pid, DWORD timeout_ms);
// All message boxes of `pid` currently open, topmost first.
std::vector<HWND> message_boxes(DWORD pid);
// A message box of any process whose caption is `caption`, polled until one appears; null on
// timeout. For boxes of programs the test did not start itself (a helper a program started).
HWND wait_message_box_captioned(const std::wstring& caption, DWORD timeout_ms);
std::wstring message_box_text(HWND box);
std::wstring message_box_caption(HWND box);
// Presses the button with `button_id` (IDOK, IDYES, IDNO...) and waits until the box is gone.
// False when there is no such button or the box is still there after 15 s.
bool answer_message_box(HWND box, int button_id);

// Reads a pixel of the main window's client area from the screen (window must be shown).
COLORREF client_pixel(HWND main_window, int x, int y);
// Saves the whole screen as a 24-bit BMP.
bool save_screen_bmp(const std::wstring& path);

// HKCU / HKLM helpers for test set-up in the prefix the program runs in.
bool reg_set_string(HKEY root, const wchar_t* subkey, const wchar_t* name,
                    const std::wstring& value, DWORD type = REG_SZ);
bool reg_set_bytes(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD type,
                   const void* data, DWORD size);
bool reg_get_string(HKEY root, const wchar_t* subkey, const wchar_t* name, std::wstring* out);
void reg_delete_tree(HKEY root, const wchar_t* subkey);
void reg_delete_value(HKEY root, const wchar_t* subkey, const wchar_t* name);

// The service's data folder (environment CALLWARDEN_SERVICE_DIR), empty when absent.
std::wstring service_dir();
// Lines of the service's requests.jsonl (one JSON object per request received), in order.
std::vector<std::string> service_requests();
// How many of those lines hold `text` (an action's name, a header).
size_t count_requests(const char* text);
// The text of a string member of a one-line JSON object, as the service wrote it.
std::string json_member(const std::string& line, const std::string& key);
// POSTs `json` to the service's test control at `path` (/test/reset, /test/next_answer) over
// the HTTPS the program uses; true when it answered 200.
bool service_control(const wchar_t* path, const std::string& json);
// Lines of the service's outbox.txt that deliver a code (PIN codes "delivered").
std::vector<std::string> service_outbox();
// Lines of the service's outbox.txt that deliver an alert to the family.
std::vector<std::string> service_alerts();
// Runs `olvex-service` sub-commands (set-guardian-pin, set-plan) against that data folder.
bool service_command(const std::string& args);

// Text file helpers.
std::string read_file_bytes(const std::wstring& path);
bool write_file_bytes(const std::wstring& path, const std::string& bytes);
std::wstring local_app_data();
bool exists(const std::wstring& path);
// Deletes a folder and everything in it.
void remove_tree(const std::wstring& folder);
// Creates every folder on the way to the file.
void make_parents(const std::wstring& file);
// How many '1' bytes became '2' between two copies of a file; -1 for any other difference.
int blocked_bytes(const std::string& before, const std::string& after);
