#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "app/ids.h"
#include "ui/tray.h"

namespace {

const wchar_t WINDOW_CLASS[] = L"UiTrayTestWindow";

class UiTray : public ::testing::Test {
protected:
  void SetUp() override {
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = WINDOW_CLASS;
    RegisterClassExW(&wc); // fails harmlessly after the first test
    reset_app_state();
    window_ = CreateWindowExW(0, WINDOW_CLASS, L"tray test", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    g_app.main_window = window_;
  }

  void TearDown() override {
    remove_tray_icon();
    DestroyWindow(window_);
    reset_app_state();
  }

  HWND window_ = nullptr;
};

std::wstring repeated(wchar_t c, size_t n) { return std::wstring(n, c); }

bool running_on_wine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Wine without a desktop shows the notification area as a small window of its own, made
// with the first icon, one child per icon.
int wine_tray_icon_count() {
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  if (tray == nullptr) return 0;
  int n = 0;
  for (HWND c = FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr); c != nullptr;
       c = FindWindowExW(tray, c, L"__winex11_tray_icon", nullptr)) {
    n++;
  }
  return n;
}

// The shell updates its window from its own thread; give it a moment.
int wait_wine_tray_icon_count(int expected) {
  int n = wine_tray_icon_count();
  for (int i = 0; i < 60 && n != expected; i++) {
    Sleep(50);
    n = wine_tray_icon_count();
  }
  return n;
}

} // namespace

TEST_F(UiTray, record_describes_the_icon_with_the_blocker_tooltip) {
  NOTIFYICONDATAW record;
  build_tray_record(&record, nullptr, nullptr);
  EXPECT_EQ(sizeof(NOTIFYICONDATAW), 976u);
  EXPECT_EQ(record.cbSize, 976u);
  EXPECT_EQ(record.hWnd, window_);
  EXPECT_EQ(record.uID, 1u);
  EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(record.uCallbackMessage, 0x8029u);
  // No small icon loaded: the system shield stands in.
  EXPECT_EQ(record.hIcon, LoadIconW(nullptr, IDI_SHIELD));
  EXPECT_STREQ(record.szTip, L"Olvex Callwarden \u2014 Active Remote-Scam Protection");
  EXPECT_STREQ(record.szInfoTitle, L"");
  EXPECT_STREQ(record.szInfo, L"");
  EXPECT_EQ(record.dwInfoFlags, 0u);
  EXPECT_EQ(record.uTimeout, 0u);
  EXPECT_EQ(record.dwState, 0u);

  g_app.blocker_enabled = 0;
  g_app.small_icon = LoadIconW(nullptr, IDI_INFORMATION);
  build_tray_record(&record, nullptr, nullptr);
  EXPECT_STREQ(record.szTip, L"Olvex Callwarden \u2014 Protection Paused");
  EXPECT_EQ(record.hIcon, g_app.small_icon);
  // An override running does not change the tooltip.
  g_app.blocker_enabled = 1;
  g_app.override_until = GetTickCount64() + 3600000;
  build_tray_record(&record, nullptr, nullptr);
  EXPECT_STREQ(record.szTip, L"Olvex Callwarden \u2014 Active Remote-Scam Protection");
}

TEST_F(UiTray, balloon_needs_both_texts) {
  NOTIFYICONDATAW record;
  build_tray_record(&record, L"Title", L"Text");
  EXPECT_EQ(record.uFlags & NIF_INFO, static_cast<UINT>(NIF_INFO));
  EXPECT_STREQ(record.szInfoTitle, L"Title");
  EXPECT_STREQ(record.szInfo, L"Text");
  EXPECT_EQ(record.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));

  build_tray_record(&record, L"Title", nullptr);
  EXPECT_EQ(record.uFlags & NIF_INFO, 0u);
  EXPECT_STREQ(record.szInfoTitle, L"");
  build_tray_record(&record, nullptr, L"Text");
  EXPECT_EQ(record.uFlags & NIF_INFO, 0u);
  EXPECT_STREQ(record.szInfo, L"");
}

TEST_F(UiTray, balloon_texts_are_cut_to_their_fields) {
  NOTIFYICONDATAW record;
  const std::wstring title = repeated(L'T', 200);
  const std::wstring text = repeated(L'x', 600);
  build_tray_record(&record, title.c_str(), text.c_str());
  EXPECT_EQ(std::wstring(record.szInfoTitle), repeated(L'T', 63));
  EXPECT_EQ(std::wstring(record.szInfo), repeated(L'x', 255));
  // The fields after them are untouched by the cut.
  EXPECT_EQ(record.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));

  const std::wstring title63 = repeated(L'a', 63);
  const std::wstring text255 = repeated(L'b', 255);
  build_tray_record(&record, title63.c_str(), text255.c_str());
  EXPECT_EQ(std::wstring(record.szInfoTitle), title63);
  EXPECT_EQ(std::wstring(record.szInfo), text255);
}

TEST_F(UiTray, icon_is_added_once_and_updates_before_that_are_dropped) {
  const bool wine = running_on_wine();
  const int before = wine_tray_icon_count();
  EXPECT_FALSE(update_tray_icon(0, L"Title", L"Text"));
  EXPECT_EQ(g_app.tray_icon_added, 0);
  update_tray_icon(1, nullptr, nullptr);
  EXPECT_EQ(g_app.tray_icon_added, 1);
  update_tray_icon(1, nullptr, nullptr); // a second add only modifies
  EXPECT_EQ(g_app.tray_icon_added, 1);
  if (wine) EXPECT_EQ(wait_wine_tray_icon_count(before + 1), before + 1);
  // Removed while the window still exists, not only when its owner goes.
  remove_tray_icon();
  EXPECT_EQ(g_app.tray_icon_added, 0);
  if (wine) EXPECT_EQ(wait_wine_tray_icon_count(before), before);
  remove_tray_icon(); // nothing left to remove
  EXPECT_EQ(g_app.tray_icon_added, 0);
}

TEST_F(UiTray, hiding_and_showing_the_window) {
  ShowWindow(window_, SW_SHOW);
  hide_to_tray(window_);
  EXPECT_FALSE(IsWindowVisible(window_));
  show_main_window(window_);
  EXPECT_TRUE(IsWindowVisible(window_));

  ShowWindow(window_, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window_));
  show_main_window(window_);
  EXPECT_FALSE(IsIconic(window_));
  EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(UiTray, menu_has_four_plain_items_and_a_separator_in_order) {
  HMENU menu = create_tray_menu();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 5);
  const struct {
    UINT id;
    const wchar_t* text;
  } items[] = {{2001, L"Open Olvex Callwarden"},
               {2002, L"Check Clipboard for Scam"},
               {2003, L"1-Hour Guardian Override (PIN)"},
               {0, nullptr},
               {2004, L"Exit Callwarden Completely"}};
  for (int i = 0; i < 5; i++) {
    SCOPED_TRACE(i);
    MENUITEMINFOW info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &info));
    if (items[i].text == nullptr) {
      EXPECT_EQ(info.fType & MFT_SEPARATOR, static_cast<UINT>(MFT_SEPARATOR));
      continue;
    }
    EXPECT_EQ(info.fType, static_cast<UINT>(MFT_STRING));
    EXPECT_EQ(info.fState & (MFS_CHECKED | MFS_DISABLED | MFS_GRAYED), 0u);
    EXPECT_EQ(info.wID, items[i].id);
    wchar_t text[64];
    GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, items[i].text);
  }
  DestroyMenu(menu);
}
