// Registry reading and font making against the real Windows API.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/app_state.h"
#include "app/startup.h"

namespace {

const wchar_t* KEY = L"Software\\Olvex\\CallwardenRegistryTest";

class RegistryString : public ::testing::Test {
protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, KEY); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, KEY); }
  void put(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"V", 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void put_text(const std::wstring& text, DWORD type = REG_SZ) {
    put(type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  bool read(std::string* out, size_t capacity = 320) {
    char buffer[1024];
    memset(buffer, 'x', sizeof(buffer));
    const bool ok = read_registry_string(HKEY_CURRENT_USER, KEY, L"V", buffer, capacity);
    if (ok) *out = buffer;
    return ok;
  }
};

TEST_F(RegistryString, string_values_read_as_utf8_and_expand_sz_stays_unexpanded) {
  std::string out;
  put_text(L"ocp_caf\u00e9");
  ASSERT_TRUE(read(&out));
  EXPECT_EQ(out, "ocp_caf\xc3\xa9");
  put_text(L"%APPDATA%\\x", REG_EXPAND_SZ);
  ASSERT_TRUE(read(&out));
  EXPECT_EQ(out, "%APPDATA%\\x");
}

TEST_F(RegistryString, absent_empty_and_other_types_read_as_absent) {
  std::string out;
  EXPECT_FALSE(read(&out)) << "no key";
  put_text(L"");
  EXPECT_FALSE(read(&out));
  const DWORD number = 1;
  put(REG_DWORD, &number, sizeof(number));
  EXPECT_FALSE(read(&out));
  const wchar_t multi[] = L"ocp_a\0b\0";
  put(REG_MULTI_SZ, multi, sizeof(multi));
  EXPECT_FALSE(read(&out));
  put(REG_BINARY, "ocp_", 4);
  EXPECT_FALSE(read(&out));
}

TEST_F(RegistryString, data_of_638_bytes_is_read_and_longer_counts_as_absent) {
  std::string out;
  put_text(std::wstring(318, L'a')); // 638 bytes with its NUL
  ASSERT_TRUE(read(&out, 1024));
  EXPECT_EQ(out, std::string(318, 'a'));
  put_text(std::wstring(319, L'a')); // 640 bytes with its NUL
  EXPECT_FALSE(read(&out, 1024));
}

TEST_F(RegistryString, a_text_whose_utf8_does_not_fit_counts_as_absent_not_half_read) {
  std::string out;
  put_text(std::wstring(200, L'\u20ac')); // 600 bytes of UTF-8
  EXPECT_FALSE(read(&out, 320));
  put_text(std::wstring(106, L'\u20ac')); // 318 bytes fits 320
  ASSERT_TRUE(read(&out, 320));
  EXPECT_EQ(out.size(), 318u);
}

TEST(UiFont, height_is_the_scaled_size_as_character_height) {
  reset_app_state();
  g_app.dpi = 144;
  HFONT font = create_ui_font(20, 700);
  ASSERT_NE(font, nullptr);
  LOGFONTW lf;
  ASSERT_EQ(GetObjectW(font, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
  EXPECT_EQ(lf.lfHeight, -30);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_STREQ(lf.lfFaceName, L"Segoe UI");
  EXPECT_EQ(lf.lfQuality, CLEARTYPE_QUALITY);
  DeleteObject(font);
  g_app.dpi = 96;
}

} // namespace
