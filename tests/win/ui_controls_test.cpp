#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "app/ids.h"
#include "app/startup.h"
#include "ui/controls.h"

#ifndef EM_GETCUEBANNER
#define EM_GETCUEBANNER 0x1502
#endif

namespace {

const wchar_t PARENT_CLASS[] = L"UiControlsTestParent";

// The shipped program binds common controls 6 through its manifest; the cue banner needs
// that edit. The test binary has no manifest, so it activates an equivalent context.
const char COMMON_CONTROLS_MANIFEST[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">"
    "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
    "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" processorArchitecture=\"*\" "
    "publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/></dependentAssembly></dependency>"
    "</assembly>";

HANDLE common_controls_context() {
  static HANDLE context = INVALID_HANDLE_VALUE;
  if (context != INVALID_HANDLE_VALUE) return context;
  wchar_t dir[MAX_PATH];
  wchar_t path[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"cw6", 0, path);
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, COMMON_CONTROLS_MANIFEST, sizeof(COMMON_CONTROLS_MANIFEST) - 1, &written,
            nullptr);
  CloseHandle(file);
  ACTCTXW actctx;
  ZeroMemory(&actctx, sizeof(actctx));
  actctx.cbSize = sizeof(actctx);
  actctx.lpSource = path;
  context = CreateActCtxW(&actctx);
  DeleteFileW(path);
  return context;
}

std::wstring text_of(HWND w) {
  wchar_t buffer[256];
  buffer[0] = L'\0';
  GetWindowTextW(w, buffer, 256);
  return buffer;
}

bool has_visible_style(HWND w) { return (GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0; }

RECT rect_in_parent(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class UiControls : public ::testing::Test {
protected:
  void SetUp() override {
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = PARENT_CLASS;
    RegisterClassExW(&wc); // fails harmlessly after the first test
    make_window(96);
  }

  void TearDown() override { destroy_window(); }

  void make_window(unsigned dpi) {
    destroy_window();
    reset_app_state();
    g_app.instance = GetModuleHandleW(nullptr);
    g_app.dpi = dpi;
    g_app.font_body = create_ui_font(13, 400);
    g_app.font_button = create_ui_font(13, 600);
    g_app.font_detail_small = create_ui_font(12, 400);
    g_app.font_detail_smaller = create_ui_font(11, 400);
    g_app.static_brush = CreateSolidBrush(RGB(255, 255, 255));
    // A popup's client area is its whole size: scale(680) x scale(622) as in the program.
    parent_ = CreateWindowExW(0, PARENT_CLASS, L"", WS_POPUP, 0, 0, scale(680), scale(622), nullptr,
                              nullptr, g_app.instance, nullptr);
    ASSERT_NE(parent_, nullptr);
    g_app.main_window = parent_;
    ULONG_PTR cookie = 0;
    HANDLE context = common_controls_context();
    const bool active = context != INVALID_HANDLE_VALUE && ActivateActCtx(context, &cookie);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    create_controls(parent_);
    if (active) DeactivateActCtx(0, cookie);
    layout_controls(parent_);
  }

  void destroy_window() {
    if (parent_) DestroyWindow(parent_);
    parent_ = nullptr;
    if (g_app.font_body) DeleteObject(g_app.font_body);
    if (g_app.font_button) DeleteObject(g_app.font_button);
    if (g_app.font_detail_small) DeleteObject(g_app.font_detail_small);
    if (g_app.font_detail_smaller) DeleteObject(g_app.font_detail_smaller);
    if (g_app.static_brush) DeleteObject(g_app.static_brush);
    reset_app_state();
  }

  void expect_at(HWND control, int x, int y, int width, int height) {
    const RECT r = rect_in_parent(control);
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
  }

  HWND parent_ = nullptr;
};

} // namespace

TEST_F(UiControls, creates_the_ten_controls_in_order_with_their_classes_texts_and_fonts) {
  const struct {
    HWND handle;
    int id;
    const wchar_t* class_name;
    const wchar_t* text;
    DWORD style_bits;
    bool client_edge;
    HFONT font;
  } rows[] = {
      {g_app.identifier_edit, 1001, L"Edit", L"", ES_AUTOHSCROLL, true, g_app.font_body},
      {g_app.pin_button, 1002, L"Button", L"Send 6-Digit PIN", BS_PUSHBUTTON, false,
       g_app.font_button},
      {g_app.get_button, 1003, L"Button", L"Get Callwarden (\u00A34.99/m)", BS_PUSHBUTTON, false,
       g_app.font_button},
      {g_app.override_button, 1005, L"Button", L"1-Hr Override (PIN)", BS_PUSHBUTTON, false,
       g_app.font_body},
      {g_app.pause_button, 1004, L"Button", L"Pause Blocker", BS_PUSHBUTTON, false,
       g_app.font_button},
      {g_app.message_edit, 1006, L"Edit", L"",
       WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, true, g_app.font_body},
      // "&&" is how a button caption shows one ampersand.
      {g_app.paste_check_button, 1007, L"Button", L"Paste Clipboard && Check", BS_PUSHBUTTON, false,
       g_app.font_button},
      {g_app.check_button, 1008, L"Button", L"Check Message / Link", BS_DEFPUSHBUTTON, false,
       g_app.font_button},
      {g_app.clean_popups_button, 1009, L"Button", L"Clean Fake Virus Browser Pop-Ups",
       BS_PUSHBUTTON, false, g_app.font_button},
      {g_app.startup_checkbox, 1010, L"Button", L"Start Callwarden automatically with Windows",
       BS_AUTOCHECKBOX, false, g_app.font_body},
  };
  // Children come back in z-order, which is creation order.
  HWND child = GetWindow(parent_, GW_CHILD);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.id);
    ASSERT_NE(row.handle, nullptr);
    EXPECT_EQ(child, row.handle);
    child = GetWindow(child, GW_HWNDNEXT);
    EXPECT_EQ(GetDlgCtrlID(row.handle), row.id);
    EXPECT_EQ(GetParent(row.handle), parent_);
    wchar_t class_name[64];
    GetClassNameW(row.handle, class_name, 64);
    const std::wstring cls = class_name;
    // Under a common-controls context the name may carry a version prefix ("6.0...!Edit").
    EXPECT_EQ(cls.substr(cls.find(L'!') == std::wstring::npos ? 0 : cls.find(L'!') + 1),
              row.class_name);
    EXPECT_EQ(text_of(row.handle), row.text);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(row.handle, GWL_STYLE));
    const DWORD base = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    EXPECT_EQ(style & base, base);
    if (row.class_name[0] == L'B') {
      EXPECT_EQ(style & BS_TYPEMASK, row.style_bits);
    } else {
      EXPECT_EQ(style & row.style_bits, row.style_bits);
    }
    const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(row.handle, GWL_EXSTYLE));
    EXPECT_EQ((ex_style & WS_EX_CLIENTEDGE) != 0, row.client_edge);
    // The layout may give a caption too wide for its button the body font (see below).
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(row.handle, WM_GETFONT, 0, 0));
    EXPECT_TRUE(font == row.font || (row.class_name[0] == L'B' &&
                                     (font == g_app.font_body || font == g_app.font_detail_small ||
                                      font == g_app.font_detail_smaller)));
    EXPECT_TRUE(IsWindowEnabled(row.handle));
  }
  EXPECT_EQ(child, nullptr) << "more than ten children";
  EXPECT_EQ(SendMessageW(g_app.startup_checkbox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(UiControls, identifier_edit_carries_the_email_or_mobile_cue) {
  wchar_t cue[64] = L"";
  ASSERT_TRUE(
      SendMessageW(g_app.identifier_edit, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 64));
  EXPECT_STREQ(cue, L"Email or UK Mobile (07...)");
}

TEST_F(UiControls, layout_moves_each_control_to_its_row_at_the_dpi) {
  // The 96 DPI places are checked on the running program end to end.
  make_window(144);
  expect_at(g_app.identifier_edit, 48, 132, 390, 45);
  expect_at(g_app.pause_button, 777, 231, 195, 48);
  expect_at(g_app.startup_checkbox, 486, 849, 486, 39);
}

TEST_F(UiControls, layout_at_zero_width_and_back) {
  SetWindowPos(parent_, nullptr, 0, 0, 0, 622, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  layout_controls(parent_);
  expect_at(g_app.message_edit, 34, 268, 0, 82);
  expect_at(g_app.startup_checkbox, 324, 566, 0, 26);
  expect_at(g_app.get_button, -205, 88, 173, 30);
  SetWindowPos(parent_, nullptr, 0, 0, 680, 622, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  layout_controls(parent_);
  expect_at(g_app.message_edit, 34, 268, 612, 82);
  expect_at(g_app.get_button, 475, 88, 173, 30);
}

TEST_F(UiControls, refresh_before_the_window_exists_changes_nothing) {
  g_app.main_window = nullptr;
  g_app.signed_in = 1;
  g_app.entitled = 1;
  g_app.blocker_enabled = 0;
  refresh_controls();
  EXPECT_TRUE(has_visible_style(g_app.identifier_edit));
  EXPECT_TRUE(has_visible_style(g_app.get_button));
  EXPECT_EQ(text_of(g_app.pause_button), L"Pause Blocker");
}

TEST_F(UiControls, refresh_shows_the_account_row_by_sign_in_and_entitlement) {
  const struct {
    int signed_in, entitled;
    bool identifier, pin, get;
  } cases[] = {
      {0, 0, true, true, true},    {0, 1, true, true, true}, {1, 0, false, false, true},
      {1, 1, false, false, false}, {0, 0, true, true, true}, // signing out again brings them back
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.signed_in * 10 + c.entitled);
    g_app.signed_in = c.signed_in;
    g_app.entitled = c.entitled;
    refresh_controls();
    EXPECT_EQ(has_visible_style(g_app.identifier_edit), c.identifier);
    EXPECT_EQ(has_visible_style(g_app.pin_button), c.pin);
    EXPECT_EQ(has_visible_style(g_app.get_button), c.get);
    // The other seven are never hidden.
    HWND always[] = {g_app.override_button,    g_app.pause_button, g_app.message_edit,
                     g_app.paste_check_button, g_app.check_button, g_app.clean_popups_button,
                     g_app.startup_checkbox};
    for (HWND w : always)
      EXPECT_TRUE(has_visible_style(w));
  }
}

TEST_F(UiControls, refresh_captions_the_pin_button_only_while_signed_out) {
  g_app.pin_sent = 1;
  refresh_controls();
  EXPECT_EQ(text_of(g_app.pin_button), L"Verify 6-Digit PIN");
  g_app.signed_in = 1;
  g_app.pin_sent = 0;
  refresh_controls();
  EXPECT_EQ(text_of(g_app.pin_button), L"Verify 6-Digit PIN");
  g_app.signed_in = 0;
  refresh_controls();
  EXPECT_EQ(text_of(g_app.pin_button), L"Send 6-Digit PIN");
}

TEST_F(UiControls, refresh_captions_the_pause_button_by_the_blocker) {
  g_app.blocker_enabled = 0;
  refresh_controls();
  EXPECT_EQ(text_of(g_app.pause_button), L"Turn On Blocker");
  g_app.blocker_enabled = 1;
  refresh_controls();
  EXPECT_EQ(text_of(g_app.pause_button), L"Pause Blocker");
}

TEST_F(UiControls, static_colour_answer_is_dark_text_on_white) {
  HDC dc = CreateCompatibleDC(nullptr);
  SetBkMode(dc, OPAQUE);
  EXPECT_EQ(on_ctl_color_static(dc), g_app.static_brush);
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetTextColor(dc), RGB(31, 41, 55));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  DeleteDC(dc);
}

namespace {

// A caption's width in the font its control carries now.
int caption_width_now(HWND control) {
  wchar_t caption[96] = L"";
  GetWindowTextW(control, caption, 96);
  HDC dc = GetDC(control);
  HGDIOBJ kept = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT r = {0, 0, 0, 0};
  DrawTextW(dc, caption, -1, &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, kept);
  ReleaseDC(control, dc);
  return r.right - r.left;
}

} // namespace

// Whatever font the machine has for Segoe UI, no caption is cut by its button's edge.
TEST_F(UiControls, every_caption_fits_inside_its_control_at_96_and_144_dpi) {
  for (unsigned dpi : {96u, 144u}) {
    SCOPED_TRACE(dpi);
    make_window(dpi);
    const HWND buttons[] = {
        g_app.pin_button,         g_app.get_button,   g_app.override_button,    g_app.pause_button,
        g_app.paste_check_button, g_app.check_button, g_app.clean_popups_button};
    for (HWND button : buttons) {
      RECT r;
      GetClientRect(button, &r);
      EXPECT_LE(caption_width_now(button), r.right - scale(8)) << GetDlgCtrlID(button);
    }
    RECT box;
    GetClientRect(g_app.startup_checkbox, &box);
    EXPECT_LE(caption_width_now(g_app.startup_checkbox),
              box.right - GetSystemMetrics(SM_CXMENUCHECK) - scale(4));
  }
}
