// The uninstall of a computer the family has locked: a small box asks for the Guardian PIN,
// which the service must accept before anything is removed. The uninstall has no main window,
// so the PIN cannot be typed into the message box as in the program.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "app/app_state.h"
#include "app/vendor.h"
#include "autostart/uninstall_pin.h"
#include "protection/blocker_rules.h"
#include "protection/protection_report.h"
#include "protection/protection_texts.h"
#include "service/service_protocol.h"
#include "service/service_request.h"
#include "service/service_transport.h"

namespace {

const int kPinEditId = 101;
const int kTemplateWords = 512;

struct PinBox {
  wchar_t typed[16];
};

// Appends to a dialog template in memory, keeping items on DWORD boundaries.
struct TemplateWriter {
  WORD* words;
  int used;
  void word(WORD w) {
    if (used < kTemplateWords) words[used++] = w;
  }
  void dword(DWORD d) {
    word(LOWORD(d));
    word(HIWORD(d));
  }
  void text(const wchar_t* s) {
    do {
      word(static_cast<WORD>(*s));
    } while (*s++ != L'\0');
  }
  void align() {
    if (used % 2 != 0) word(0);
  }
  void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD class_atom,
            const wchar_t* title) {
    align();
    dword(style | WS_CHILD | WS_VISIBLE);
    dword(0);
    word(static_cast<WORD>(x));
    word(static_cast<WORD>(y));
    word(static_cast<WORD>(cx));
    word(static_cast<WORD>(cy));
    word(id);
    word(0xFFFF);
    word(class_atom);
    text(title);
    word(0); // no creation data
  }
};

INT_PTR CALLBACK pin_box_proc(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(box, DWLP_USER, lparam);
    SendDlgItemMessageW(box, kPinEditId, EM_LIMITTEXT, 4, 0);
    SetForegroundWindow(box);
    SetFocus(GetDlgItem(box, kPinEditId));
    return FALSE;
  }
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    PinBox* pin = reinterpret_cast<PinBox*>(GetWindowLongPtrW(box, DWLP_USER));
    if (LOWORD(wparam) == IDOK && pin != nullptr)
      GetDlgItemTextW(box, kPinEditId, pin->typed, ARRAYSIZE(pin->typed));
    EndDialog(box, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

// The PIN typed, or false when the box was cancelled.
bool ask_pin(PinBox* pin) {
  WORD* words = static_cast<WORD*>(calloc(kTemplateWords, sizeof(WORD)));
  if (words == nullptr) return false;
  TemplateWriter t{words, 0};
  t.dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | DS_SETFOREGROUND | WS_POPUP | WS_CAPTION |
          WS_SYSMENU);
  t.dword(0);
  t.word(4); // items
  t.word(0);
  t.word(0);
  t.word(240);
  t.word(96);
  t.word(0); // no menu
  t.word(0); // the standard class
  t.text(UNINSTALL_PIN_CAPTION);
  t.word(9);
  t.text(L"Segoe UI");
  t.item(SS_LEFT, 8, 8, 224, 44, 0xFFFF, 0x0082, UNINSTALL_PIN_TEXT);
  t.item(ES_PASSWORD | ES_NUMBER | WS_BORDER | WS_TABSTOP, 8, 56, 60, 14, kPinEditId, 0x0081, L"");
  t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 128, 76, 50, 14, IDOK, 0x0080, L"OK");
  t.item(BS_PUSHBUTTON | WS_TABSTOP, 182, 76, 50, 14, IDCANCEL, 0x0080, L"Cancel");
  const INT_PTR chosen =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(words),
                              nullptr, pin_box_proc, reinterpret_cast<LPARAM>(pin));
  free(words);
  return chosen == IDOK;
}

void say(const wchar_t* text) {
  MessageBoxW(nullptr, text, UNINSTALL_PIN_CAPTION, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

} // namespace

bool uninstall_is_locked(void) { return g_app.auth_token[0] != '\0' && read_guardian_lock(); }

bool uninstall_pin_accepted(char* accepted_pin, size_t capacity) {
  PinBox pin;
  ZeroMemory(&pin, sizeof(pin));
  for (;;) {
    if (!ask_pin(&pin)) return false;
    if (is_valid_override_pin(pin.typed)) break;
    say(L"The Guardian PIN is 4 digits, 0 to 9.");
  }
  char typed[16];
  ZeroMemory(typed, sizeof(typed));
  WideCharToMultiByte(CP_UTF8, 0, pin.typed, -1, typed, sizeof(typed) - 1, nullptr, nullptr);
  ServiceRequest* request = static_cast<ServiceRequest*>(calloc(1, sizeof(ServiceRequest)));
  ServiceResult* result = static_cast<ServiceResult*>(calloc(1, sizeof(ServiceResult)));
  char* body = static_cast<char*>(calloc(SERVICE_BODY_CAPACITY, 1));
  char* answer = static_cast<char*>(calloc(SERVICE_ANSWER_CAPACITY, 1));
  bool accepted = false;
  if (request != nullptr && result != nullptr && body != nullptr && answer != nullptr) {
    prepare_service_request(request, REQUEST_VERIFY_GUARDIAN_LOCK, nullptr, typed, "remove",
                            g_app.device_label, g_app.auth_token);
    build_request_body(request, body);
    wchar_t headers[SERVICE_HEADERS_CAPACITY];
    build_request_headers(request, headers);
    int status = 0;
    if (!service_exchange(CALLWARDEN_SERVICE_HOST_W, headers, body, answer, SERVICE_ANSWER_CAPACITY,
                          &status))
      status = 0;
    finish_service_result(result, status, status == 0 ? "" : answer);
    accepted = status != 0 && result->ok;
    if (status == 0) {
      say(LOCK_UNREACHABLE_TEXT);
    } else if (!accepted) {
      wchar_t message[512];
      ZeroMemory(message, sizeof(message));
      const char* shown = result->error[0] != '\0' ? result->error : OVERRIDE_PIN_REFUSED_DEFAULT;
      MultiByteToWideChar(CP_UTF8, 0, shown, -1, message, ARRAYSIZE(message) - 1);
      say(message);
    }
  }
  if (accepted && capacity > strlen(typed)) memcpy(accepted_pin, typed, strlen(typed) + 1);
  SecureZeroMemory(typed, sizeof(typed));
  if (body != nullptr) SecureZeroMemory(body, SERVICE_BODY_CAPACITY);
  free(request);
  free(result);
  free(body);
  free(answer);
  return accepted;
}
