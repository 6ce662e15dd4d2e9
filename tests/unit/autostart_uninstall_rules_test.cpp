#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "autostart/uninstall_rules.h"

namespace {

const wchar_t kProgram[] =
    L"C:\\Users\\Margaret\\AppData\\Local\\Olvex\\Callwarden\\Olvex-Callwarden.exe";

TEST(AutostartUninstallEntry, NamesTheInstalledProgramItsFolderAndTheUninstallFlag) {
  UninstallValues v;
  ASSERT_TRUE(make_uninstall_values(kProgram, &v));
  EXPECT_EQ(std::wstring(v.uninstall_string), L"\"" + std::wstring(kProgram) + L"\" --uninstall");
  EXPECT_EQ(std::wstring(v.display_icon), std::wstring(kProgram) + L",0");
  EXPECT_STREQ(v.install_location, L"C:\\Users\\Margaret\\AppData\\Local\\Olvex\\Callwarden");
}

TEST(AutostartUninstallEntry, NoEntryForAPathWithoutFolderOrTooLongToWriteWhole) {
  UninstallValues v;
  EXPECT_FALSE(make_uninstall_values(L"", &v));
  EXPECT_FALSE(make_uninstall_values(nullptr, &v));
  EXPECT_FALSE(make_uninstall_values(L"Olvex-Callwarden.exe", &v));
  EXPECT_FALSE(make_uninstall_values(L"\\Olvex-Callwarden.exe", &v));
  const std::wstring longest = L"C:\\" + std::wstring(UNINSTALL_STRING_CAPACITY - 20, L'a');
  EXPECT_TRUE(make_uninstall_values(longest.c_str(), &v));
  EXPECT_EQ(std::wstring(v.uninstall_string), L"\"" + longest + L"\" --uninstall");
  const std::wstring too_long = longest + L"aaaa";
  EXPECT_FALSE(make_uninstall_values(too_long.c_str(), &v));
  EXPECT_STREQ(v.uninstall_string, L"");
}

TEST(AutostartUninstallEntry, EstimatedSizeIsKilobytesRoundedUp) {
  EXPECT_EQ(estimated_size_kb(0), 0u);
  EXPECT_EQ(estimated_size_kb(1), 1u);
  EXPECT_EQ(estimated_size_kb(1024), 1u);
  EXPECT_EQ(estimated_size_kb(1025), 2u);
  EXPECT_EQ(estimated_size_kb(0xFFFFFFFFFFFFull), 0xFFFFFFFFu);
}

TEST(AutostartUninstallCommand, TheFlagAloneStartsTheFinishNeedsItsTwoNumbers) {
  uint64_t handle = 0;
  unsigned steps = 0;
  EXPECT_EQ(parse_uninstall_command(L"--uninstall", &handle, &steps), UNINSTALL_START);
  EXPECT_EQ(parse_uninstall_command(L"--tray --uninstall", &handle, &steps), UNINSTALL_START);
  EXPECT_EQ(parse_uninstall_command(L"--uninstaller", &handle, &steps), UNINSTALL_NONE);
  EXPECT_EQ(parse_uninstall_command(L"--tray", &handle, &steps), UNINSTALL_NONE);
  EXPECT_EQ(parse_uninstall_command(nullptr, &handle, &steps), UNINSTALL_NONE);
  EXPECT_EQ(parse_uninstall_command(L"--uninstall-finish 1234 13", &handle, &steps),
            UNINSTALL_FINISH);
  EXPECT_EQ(handle, 1234u);
  EXPECT_EQ(steps, 13u);
  const wchar_t* malformed[] = {
      L"--uninstall-finish",       L"--uninstall-finish 12",
      L"--uninstall-finish x 1",   L"--uninstall-finish 0 1",
      L"--uninstall-finish 12 64", L"--uninstall-finish 12 1x",
      L"--uninstall-finish12 1",   L"--uninstall-finish 99999999999999999999999 1"};
  for (const wchar_t* tail : malformed)
    EXPECT_EQ(parse_uninstall_command(tail, &handle, &steps), UNINSTALL_NONE);
}

TEST(AutostartUninstallReport, SaysEachStepDoneAndWhatBecameOfTheCopy) {
  wchar_t text[UNINSTALL_REPORT_CAPACITY];
  format_uninstall_report(UNINSTALL_STOPPED_PROGRAM | UNINSTALL_REMOVED_START_ENTRY |
                              UNINSTALL_REMOVED_APPS_ENTRY | UNINSTALL_REMOVED_TOKEN |
                              UNINSTALL_DELETED_COPY,
                          kProgram, text, UNINSTALL_REPORT_CAPACITY);
  const std::wstring all = text;
  EXPECT_EQ(all.find(L"Olvex Callwarden has been removed:"), 0u);
  for (const wchar_t* part :
       {L"Stopped the running Callwarden.", L"sign in to Windows", L"Apps & features",
        L"unlink it on the Olvex website", L"Deleted C:\\Users\\Margaret"}) {
    EXPECT_NE(all.find(part), std::wstring::npos) << std::string(all.begin(), all.end());
  }
  format_uninstall_report(UNINSTALL_REMOVED_START_ENTRY | UNINSTALL_COPY_LEFT, kProgram, text,
                          UNINSTALL_REPORT_CAPACITY);
  const std::wstring left = text;
  EXPECT_NE(left.find(L"Could not delete"), std::wstring::npos);
  EXPECT_EQ(left.find(L"Stopped"), std::wstring::npos);
  format_uninstall_report(0, kProgram, text, UNINSTALL_REPORT_CAPACITY);
  EXPECT_NE(std::wstring(text).find(L"nothing to remove"), std::wstring::npos);
  wchar_t small[20];
  format_uninstall_report(UNINSTALL_ALL_STEPS, kProgram, small, 20);
  EXPECT_EQ(wcslen(small), 19u);
}

// The running program ends for another copy only as its Guardian lock allows: unlocked at
// once, locked only for a proof that holds a 4-digit PIN (which it then checks itself).
TEST(AutostartQuitProof, ALockedProgramEndsOnlyForAWholeProofWithAPin) {
  QuitProof sent;
  memset(&sent, 0, sizeof(sent));
  sent.magic = QUIT_PROOF_MAGIC;
  sent.removal_reported = 1;
  memcpy(sent.guardian_pin, "4821", 5);
  QuitProof read;
  ASSERT_TRUE(read_quit_proof(QUIT_PROOF_ID, &sent, sizeof(sent), &read));
  EXPECT_STREQ(read.guardian_pin, "4821");
  EXPECT_EQ(read.removal_reported, 1u);
  EXPECT_FALSE(read_quit_proof(QUIT_PROOF_ID + 1, &sent, sizeof(sent), &read)) << "another id";
  EXPECT_FALSE(read_quit_proof(QUIT_PROOF_ID, &sent, sizeof(sent) - 1, &read)) << "cut short";
  EXPECT_FALSE(read_quit_proof(QUIT_PROOF_ID, nullptr, sizeof(sent), &read));
  QuitProof forged = sent;
  forged.magic = 0;
  EXPECT_FALSE(read_quit_proof(QUIT_PROOF_ID, &forged, sizeof(forged), &read));

  EXPECT_EQ(answer_quit(false, nullptr), QUIT_NOW) << "an older copy's message, unlocked";
  EXPECT_EQ(answer_quit(true, nullptr), QUIT_REFUSED) << "an older copy's message, locked";
  EXPECT_EQ(answer_quit(true, &sent), QUIT_AFTER_PIN_CHECK);
  EXPECT_EQ(answer_quit(false, &sent), QUIT_NOW);
  for (const char* pin : {"", "482", "48211", "48a1"}) {
    QuitProof bad = sent;
    memset(bad.guardian_pin, 0, sizeof(bad.guardian_pin));
    memcpy(bad.guardian_pin, pin, strlen(pin));
    EXPECT_EQ(answer_quit(true, &bad), QUIT_REFUSED) << pin;
  }
}

} // namespace
