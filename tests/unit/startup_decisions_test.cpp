#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "app/scale.h"
#include "app/startup_decisions.h"

TEST(TrayFlag, found_anywhere_in_the_tail_case_sensitively) {
  EXPECT_TRUE(has_tray_flag(L"--tray"));
  EXPECT_TRUE(has_tray_flag(L"/tray"));
  EXPECT_TRUE(has_tray_flag(L"--traymode"));
  EXPECT_TRUE(has_tray_flag(L"x y --tray z"));
  EXPECT_FALSE(has_tray_flag(L"--TRAY"));
  EXPECT_FALSE(has_tray_flag(L"-tray"));
  EXPECT_FALSE(has_tray_flag(L""));
  EXPECT_FALSE(has_tray_flag(nullptr));
}

TEST(CommandTail, program_name_and_following_blanks_are_removed) {
  EXPECT_STREQ(command_tail_of(L"prog.exe --tray"), L"--tray");
  EXPECT_STREQ(command_tail_of(L"\"C:\\a b\\prog.exe\"   /tray x"), L"/tray x");
  EXPECT_STREQ(command_tail_of(L"prog.exe\t\x01\x02--tray"), L"--tray");
  EXPECT_STREQ(command_tail_of(L"prog.exe"), L"");
  EXPECT_STREQ(command_tail_of(nullptr), L"");
}

TEST(CommandTail, a_program_path_holding_slash_tray_does_not_count) {
  EXPECT_FALSE(has_tray_flag(command_tail_of(L"\"C:\\x/tray\\prog.exe\" --other")));
  EXPECT_FALSE(has_tray_flag(command_tail_of(L"C:/tray/prog.exe")));
}

TEST(CommandTail, an_unclosed_quote_takes_the_whole_line_as_the_name) {
  EXPECT_STREQ(command_tail_of(L"\"prog.exe --tray"), L"");
}

TEST(ScreenDpi, only_96_to_384_is_taken) {
  EXPECT_EQ(pick_screen_dpi(95), 96);
  EXPECT_EQ(pick_screen_dpi(385), 96);
  EXPECT_EQ(pick_screen_dpi(-1), 96);
  EXPECT_EQ(pick_screen_dpi(96), 96);
  EXPECT_EQ(pick_screen_dpi(120), 120);
  EXPECT_EQ(pick_screen_dpi(144), 144);
  EXPECT_EQ(pick_screen_dpi(384), 384);
}

TEST(Scale, rounds_halves_away_from_zero_like_muldiv) {
  EXPECT_EQ(scale_for_dpi(13, 96), 13);
  EXPECT_EQ(scale_for_dpi(13, 144), 20);
  EXPECT_EQ(scale_for_dpi(7, 144), 11);
  EXPECT_EQ(scale_for_dpi(-7, 144), -11);
  EXPECT_EQ(scale_for_dpi(680, 144), 1020);
  EXPECT_EQ(scale_for_dpi(622, 144), 933);
  EXPECT_EQ(scale_for_dpi(20, 98), 20);
  EXPECT_EQ(scale_for_dpi(32, 98), 33);
  EXPECT_EQ(scale_for_dpi(2147483647, 384), 2147483647);
}

TEST(DeviceLabel, falls_back_to_windows_pc) {
  char out[128];
  pick_device_label(nullptr, out, sizeof(out));
  EXPECT_STREQ(out, "Windows PC");
  pick_device_label(L"", out, sizeof(out));
  EXPECT_STREQ(out, "Windows PC");
}

TEST(DeviceLabel, converts_to_utf8_and_cuts_at_a_whole_character) {
  char out[128];
  pick_device_label(L"KITCHEN-PC", out, sizeof(out));
  EXPECT_STREQ(out, "KITCHEN-PC");
  pick_device_label(L"Zo\u00eb", out, sizeof(out));
  EXPECT_STREQ(out, "Zo\xc3\xab");

  std::wstring long_name(95, L'\u20ac'); // 3 bytes each: 285 bytes does not fit 127
  pick_device_label(long_name.c_str(), out, sizeof(out));
  EXPECT_EQ(strlen(out), 126u); // 42 whole euro signs
  EXPECT_EQ(static_cast<unsigned char>(out[123]), 0xE2);
  EXPECT_EQ(out[127], '\0');
}

TEST(Utf8, unpaired_surrogates_become_replacement_characters) {
  char out[16];
  const wchar_t text[] = {0xD83D, L'a', 0};
  utf16_to_utf8(text, out, sizeof(out));
  EXPECT_STREQ(out, "\xef\xbf\xbd"
                    "a");
}

// A fake registry: (root, subkey, value) -> data, or absent.
struct FakeRegistry {
  std::map<std::wstring, std::string> values;
  static std::wstring key(RegistryRoot root, const wchar_t* subkey, const wchar_t* value) {
    return std::to_wstring(root) + L"|" + subkey + L"|" + value;
  }
};

static bool fake_read(void* context, RegistryRoot root, const wchar_t* subkey, const wchar_t* value,
                      char* out, size_t capacity) {
  FakeRegistry* reg = static_cast<FakeRegistry*>(context);
  auto it = reg->values.find(FakeRegistry::key(root, subkey, value));
  if (it == reg->values.end() || it->second.empty()) return false;
  strncpy(out, it->second.c_str(), capacity - 1);
  out[capacity - 1] = '\0';
  return true;
}

static std::string discover(FakeRegistry& reg) {
  char token[320];
  memset(token, 'x', sizeof(token));
  discover_auth_token(fake_read, &reg, token, sizeof(token));
  return token;
}

#define ROW1 FakeRegistry::key(REGISTRY_CURRENT_USER, L"Software\\Olvex\\Callwarden", L"AuthToken")
#define ROW2 FakeRegistry::key(REGISTRY_CURRENT_USER, L"Software\\Olvex\\Support", L"CareAuthToken")
#define ROW3                                                                                       \
  FakeRegistry::key(REGISTRY_LOCAL_MACHINE, L"SOFTWARE\\Olvex\\Support", L"CareAuthToken")
#define ROW4 FakeRegistry::key(REGISTRY_CURRENT_USER, L"Software\\Olvex\\Cloud", L"SyncToken")

TEST(TokenDiscovery, nothing_stored_leaves_the_token_empty) {
  FakeRegistry reg;
  EXPECT_EQ(discover(reg), "");
}

TEST(TokenDiscovery, rows_are_walked_in_order_with_their_own_prefixes) {
  FakeRegistry reg;
  reg.values[ROW2] = "ocld_support";
  reg.values[ROW3] = "ocld_machine";
  reg.values[ROW4] = "ocld_cloud";
  EXPECT_EQ(discover(reg), "ocld_cloud") << "ocld_ is not accepted under CareAuthToken";

  reg.values[ROW3] = "ocp_machine";
  EXPECT_EQ(discover(reg), "ocp_machine");

  reg.values[ROW2] = "ocp_support";
  EXPECT_EQ(discover(reg), "ocp_support");

  reg.values[ROW1] = "ocld_own";
  EXPECT_EQ(discover(reg), "ocld_own");
  reg.values[ROW1] = "ocp_own";
  EXPECT_EQ(discover(reg), "ocp_own");
}

TEST(TokenDiscovery, a_row_without_an_accepted_prefix_passes_the_search_on) {
  FakeRegistry reg;
  reg.values[ROW1] = "OCP_upper";
  reg.values[ROW4] = "ocp_wrong_row";
  EXPECT_EQ(discover(reg), "");
  reg.values[ROW2] = "ocp_valid";
  EXPECT_EQ(discover(reg), "ocp_valid");
}

TEST(TokenDiscovery, the_whole_text_up_to_319_bytes_is_taken_unchecked) {
  FakeRegistry reg;
  reg.values[ROW1] = "ocp_" + std::string(400, 'a') + "%APPDATA%";
  const std::string token = discover(reg);
  EXPECT_EQ(token.size(), 319u);
  EXPECT_EQ(token.substr(0, 4), "ocp_");
}

TEST(WindowPlacement, centres_and_truncates_toward_zero) {
  WindowPosition p = centre_in_work_area(0, 0, 1920, 1080, 696, 661);
  EXPECT_EQ(p.x, 612);
  EXPECT_EQ(p.y, 209);
  p = centre_in_work_area(100, 50, 600, 545, 505, 500); // free space -5 on both axes
  EXPECT_EQ(p.x, 98);
  EXPECT_EQ(p.y, 48);
  p = centre_in_work_area(-2147483647 - 1, 0, 2147483647, 10, 0, 0);
  EXPECT_EQ(p.x, -1); // no overflow on the widest possible work area
}
