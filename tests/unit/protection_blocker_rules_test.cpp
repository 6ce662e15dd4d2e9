#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "protection/blocker_rules.h"

namespace {

// ---- which process names are remote-control tools ----

TEST(ProtectionToolNames, TheNineFirstToolsKeepTheirOrderAndEveryNameIsLowerCaseAndUnique) {
  const wchar_t* expected[] = {L"anydesk.exe",
                               L"teamviewer.exe",
                               L"ultraviewer_desktop.exe",
                               L"ultraviewer_service.exe",
                               L"supremo.exe",
                               L"screenconnect.windowsclient.exe",
                               L"screenconnect.clientservice.exe",
                               L"rustdesk.exe",
                               L"quickassist.exe"};
  for (int i = 0; i < 9; i++)
    EXPECT_STREQ(remote_tools[i].file_name, expected[i]) << i;
  for (int i = 0; i < REMOTE_TOOL_COUNT; i++) {
    const std::wstring name = remote_tools[i].file_name;
    EXPECT_EQ(name.substr(name.size() - 4), L".exe") << i;
    for (wchar_t c : name)
      EXPECT_FALSE(c >= L'A' && c <= L'Z') << i;
    ASSERT_NE(remote_tools[i].product, nullptr);
    EXPECT_NE(remote_tools[i].product[0], L'\0') << i;
    // A later duplicate would never be reached.
    EXPECT_EQ(remote_tool_index(remote_tools[i].file_name), i);
  }
}

TEST(ProtectionToolNames, RemoteSupportToolsOfTechSupportScamsAreListed) {
  EXPECT_STREQ(remote_tools[remote_tool_index(L"Support-LogMeInRescue.exe")].product,
               L"LogMeIn Rescue");
  EXPECT_STREQ(remote_tools[remote_tool_index(L"ZohoMeeting.exe")].product, L"Zoho Assist");
  EXPECT_STREQ(remote_tools[remote_tool_index(L"ISLLight.exe")].product, L"ISL Light");
  EXPECT_STREQ(remote_tools[remote_tool_index(L"SRServerSOS.exe")].product, L"Splashtop SOS");
  EXPECT_STREQ(remote_tools[remote_tool_index(L"RustDesk.exe")].product, L"RustDesk");
}

TEST(ProtectionVersionNames, OriginalOrInternalNameFindsTheToolWithOrWithoutExe) {
  EXPECT_EQ(version_name_tool_index(L"AnyDesk.exe"), 0);
  EXPECT_EQ(version_name_tool_index(L"AnyDesk"), 0);
  EXPECT_EQ(version_name_tool_index(L"ANYDESK.EXE"), 0);
  EXPECT_EQ(version_name_tool_index(L"TeamViewer"), 1);
  EXPECT_EQ(version_name_tool_index(L"ISL Light"), remote_tool_index(L"isl light.exe"));
  EXPECT_EQ(version_name_tool_index(L"notepad.exe"), -1);
  EXPECT_EQ(version_name_tool_index(L"AnyDesk.dll"), -1);
  EXPECT_EQ(version_name_tool_index(L"AnyDesk.exe.mui"), -1);
  EXPECT_EQ(version_name_tool_index(L"AnyDeskSetup.exe"), -1);
  EXPECT_EQ(version_name_tool_index(L"Any"), -1);
  EXPECT_EQ(version_name_tool_index(L".exe"), -1);
  EXPECT_EQ(version_name_tool_index(L""), -1);
  EXPECT_EQ(version_name_tool_index(nullptr), -1);
  EXPECT_EQ(version_name_tool_index(L"\uFF21nyDesk"), -1); // fullwidth A
}

TEST(ProtectionVersionNames, FoundToolReadsFileNameThenProductAndTheProductSurvivesACut) {
  wchar_t out[64];
  format_found_tool(out, 64, L"invoice.exe", L"AnyDesk");
  EXPECT_STREQ(out, L"invoice.exe (AnyDesk)");
  const std::wstring long_name(200, L'x');
  format_found_tool(out, 64, long_name.c_str(), L"AnyDesk");
  EXPECT_EQ(std::wstring(out), std::wstring(53, L'x') + L" (AnyDesk)");
  EXPECT_EQ(wcslen(out), 63u);
  wchar_t tiny[6];
  format_found_tool(tiny, 6, L"invoice.exe", L"AnyDesk");
  EXPECT_EQ(wcslen(tiny), 5u) << "cut, still terminated";
  format_found_tool(out, 64, L"invoice.exe", L"");
  EXPECT_STREQ(out, L"invoice.exe");
}

TEST(ProtectionToolNames, NamesMatchWhateverTheCaseOfAsciiLetters) {
  EXPECT_EQ(remote_tool_index(L"AnyDesk.exe"), 0);
  EXPECT_EQ(remote_tool_index(L"ANYDESK.EXE"), 0);
  EXPECT_EQ(remote_tool_index(L"anydesk.exe"), 0);
  EXPECT_EQ(remote_tool_index(L"TeamViewer.exe"), 1);
  EXPECT_EQ(remote_tool_index(L"UltraViewer_Desktop.exe"), 2);
  EXPECT_EQ(remote_tool_index(L"ULTRAVIEWER_SERVICE.EXE"), 3);
  EXPECT_EQ(remote_tool_index(L"Supremo.EXE"), 4);
  EXPECT_EQ(remote_tool_index(L"ScreenConnect.WindowsClient.exe"), 5);
  EXPECT_EQ(remote_tool_index(L"ScreenConnect.ClientService.exe"), 6);
  EXPECT_EQ(remote_tool_index(L"RustDesk.exe"), 7);
  EXPECT_EQ(remote_tool_index(L"QuickAssist.exe"), 8);
}

TEST(ProtectionToolNames, OnlyTheWholeNameMatches) {
  EXPECT_EQ(remote_tool_index(L"anydesk"), -1);
  EXPECT_EQ(remote_tool_index(L"anydesk.exe.old"), -1);
  EXPECT_EQ(remote_tool_index(L"anydesk.ex"), -1);
  EXPECT_EQ(remote_tool_index(L"my-anydesk.exe"), -1);
  EXPECT_EQ(remote_tool_index(L" anydesk.exe"), -1);
  EXPECT_EQ(remote_tool_index(L"anydesk.exe "), -1);
  EXPECT_EQ(remote_tool_index(L"teamviewer_service.exe"), -1);
  EXPECT_EQ(remote_tool_index(L"screenconnect.exe"), -1);
  EXPECT_EQ(remote_tool_index(L""), -1);
  EXPECT_EQ(remote_tool_index(nullptr), -1);
}

TEST(ProtectionToolNames, LettersThatFoldOnlyUnderUnicodeRulesDoNotMatch) {
  EXPECT_EQ(remote_tool_index(L"rustdes\u212A.exe"), -1);    // KELVIN SIGN folds to k
  EXPECT_EQ(remote_tool_index(L"quickass\u0131st.exe"), -1); // dotless i upper-cases to I
  EXPECT_EQ(remote_tool_index(L"\u017Fupremo.exe"), -1);     // long s folds to s
  EXPECT_EQ(remote_tool_index(L"\uFF21nyDesk.exe"), -1);     // fullwidth A
  EXPECT_EQ(remote_tool_index(L"ANYDESK.\u0130XE"), -1);     // I with dot above
  // Characters whose low byte is an ASCII letter: a cut to 8 bits would match them.
  EXPECT_EQ(remote_tool_index(L"\u0141nydesk.exe"), -1);
  EXPECT_EQ(remote_tool_index(L"\u0161nydesk.exe"), -1);
}

TEST(ProtectionToolNames, AsciiCaseEqualityComparesWholeStrings) {
  EXPECT_TRUE(equal_ignoring_ascii_case(L"", L""));
  EXPECT_TRUE(equal_ignoring_ascii_case(L"AnyDesk.exe", L"aNYdESK.EXE"));
  EXPECT_FALSE(equal_ignoring_ascii_case(L"AnyDesk.exe", L"AnyDesk.ex"));
  EXPECT_FALSE(equal_ignoring_ascii_case(L"", L"a"));
  // Only A-Z fold: '@' and '`' sit next to them and must stay apart.
  EXPECT_FALSE(equal_ignoring_ascii_case(L"@", L"`"));
  EXPECT_FALSE(equal_ignoring_ascii_case(L"[", L"{"));
  EXPECT_FALSE(equal_ignoring_ascii_case(L"\u00C9", L"\u00E9"));
}

TEST(ProtectionToolNames, SystemProcessesTheProgramItselfAndNamelessEntriesAreNeverTouched) {
  const uint32_t own = 4321;
  for (uint32_t pid = 0; pid <= 4; pid++) {
    EXPECT_FALSE(blocker_may_touch(pid, own, L"anydesk.exe")) << pid;
  }
  EXPECT_TRUE(blocker_may_touch(5, own, L"anydesk.exe"));
  EXPECT_FALSE(blocker_may_touch(own, own, L"anydesk.exe"));
  EXPECT_TRUE(blocker_may_touch(own + 1, own, L"anydesk.exe"));
  EXPECT_FALSE(blocker_may_touch(5000, own, L""));
  EXPECT_FALSE(blocker_may_touch(5000, own, nullptr));
}

// ---- when a termination raises an alert ----

TEST(ProtectionAlertThrottle, FirstTerminationAfterStartAlwaysAlerts) {
  // At start the last alerted name is empty and its tick is 0.
  EXPECT_TRUE(blocker_should_alert(L"anydesk.exe", L"", 1500, 0));
  EXPECT_TRUE(blocker_should_alert(L"anydesk.exe", L"", 0, 0));
}

TEST(ProtectionAlertThrottle, TableOfNameAndGap) {
  const uint64_t alert = 7000000;
  // Same tool (ignoring ASCII case): only a gap of more than 9999 ms alerts again.
  EXPECT_FALSE(blocker_should_alert(L"AnyDesk.exe", L"anydesk.exe", alert, alert));
  EXPECT_FALSE(blocker_should_alert(L"AnyDesk.exe", L"anydesk.exe", alert + 3000, alert));
  EXPECT_FALSE(blocker_should_alert(L"AnyDesk.exe", L"AnyDesk.exe", alert + 9999, alert));
  EXPECT_TRUE(blocker_should_alert(L"AnyDesk.exe", L"AnyDesk.exe", alert + 10000, alert));
  EXPECT_TRUE(blocker_should_alert(L"ANYDESK.EXE", L"anydesk.exe", alert + 10000, alert));
  // Another tool alerts at once.
  EXPECT_TRUE(blocker_should_alert(L"TeamViewer.exe", L"AnyDesk.exe", alert + 3000, alert));
  EXPECT_TRUE(blocker_should_alert(L"TeamViewer.exe", L"AnyDesk.exe", alert, alert));
}

TEST(ProtectionAlertThrottle, GapIsMeasuredInSixtyFourBits) {
  // An alert just below 2^32 ms and ticks just above it: a 32-bit gap would be huge.
  const uint64_t alert = 0xFFFFFFFFull - 500;
  EXPECT_FALSE(blocker_should_alert(L"anydesk.exe", L"anydesk.exe", alert + 1500, alert));
  EXPECT_TRUE(blocker_should_alert(L"anydesk.exe", L"anydesk.exe", alert + 10500, alert));
  // An alert above 2^32 ms compared with a tick that a 32-bit cut would make small.
  const uint64_t later = 0x100000000ull + 20000;
  EXPECT_FALSE(blocker_should_alert(L"anydesk.exe", L"anydesk.exe", later + 9999, later));
}

TEST(ProtectionAlertThrottle, SameToolEveryTickAlertsOnTheSeventhTickAfterEachAlert) {
  // Replays the tick's bookkeeping with ticks exactly 1500 ms apart.
  std::wstring last_alerted;
  uint64_t last_tick = 0;
  int alerts = 0;
  std::wstring alert_ticks;
  const uint64_t start = 0xFFFFF000ull; // crosses 2^32 on the way
  for (int k = 0; k <= 21; k++) {
    const uint64_t now = start + 1500ull * static_cast<uint64_t>(k);
    if (blocker_should_alert(L"AnyDesk.exe", last_alerted.c_str(), now, last_tick)) {
      last_tick = now;
      last_alerted = L"AnyDesk.exe";
      alerts++;
      alert_ticks += std::to_wstring(k) + L" ";
    }
  }
  EXPECT_EQ(alerts, 4);
  EXPECT_EQ(alert_ticks, L"0 7 14 21 ");
}

// ---- the one-hour override ----

TEST(ProtectionOverride, NoOverrideStoredLetsEveryTickRun) {
  EXPECT_EQ(override_gate(0, 0), OVERRIDE_NONE);
  EXPECT_EQ(override_gate(123456789, 0), OVERRIDE_NONE);
  EXPECT_EQ(override_gate(UINT64_MAX, 0), OVERRIDE_NONE);
}

TEST(ProtectionOverride, RunsForExactlyOneHourFromItsStart) {
  const uint64_t granted = 5000000000ull; // beyond 32 bits
  const uint64_t until = override_end_tick(granted);
  EXPECT_EQ(until, granted + 3600000ull);
  EXPECT_EQ(override_gate(granted, until), OVERRIDE_RUNNING);
  EXPECT_EQ(override_gate(until - 1, until), OVERRIDE_RUNNING);
  EXPECT_EQ(override_gate(until, until), OVERRIDE_ENDED);
  EXPECT_EQ(override_gate(until + 1500, until), OVERRIDE_ENDED);
}

TEST(ProtectionOverride, EndTickIsNotCutToThirtyTwoBits) {
  // Granted just before 2^32 ms: the end lies beyond it and must stay there.
  const uint64_t granted = 0xFFFFFFFFull - 1000;
  const uint64_t until = override_end_tick(granted);
  EXPECT_GT(until, 0xFFFFFFFFull);
  EXPECT_EQ(override_gate(granted + 1500, until), OVERRIDE_RUNNING);
  EXPECT_EQ(override_gate(granted + 3599999, until), OVERRIDE_RUNNING);
  EXPECT_EQ(override_gate(granted + 3600000, until), OVERRIDE_ENDED);
  // A small tick against an end above 2^32: the low 32 bits of the end are smaller.
  EXPECT_EQ(override_gate(0x2000, 0x100001000ull), OVERRIDE_RUNNING);
}

// ---- the Guardian Override PIN typed into the message box ----

TEST(ProtectionOverridePin, FourAsciiDigitsAreAPin) {
  EXPECT_TRUE(is_valid_override_pin(L"1234"));
  EXPECT_TRUE(is_valid_override_pin(L"0000"));
  EXPECT_TRUE(is_valid_override_pin(L"9909"));
}

TEST(ProtectionOverridePin, AnythingElseIsRefusedWithNothingTrimmed) {
  EXPECT_FALSE(is_valid_override_pin(L"123"));
  EXPECT_FALSE(is_valid_override_pin(L"12345"));
  EXPECT_FALSE(is_valid_override_pin(L"12a4"));
  EXPECT_FALSE(is_valid_override_pin(L"123O"));
  EXPECT_FALSE(is_valid_override_pin(L" 1234"));
  EXPECT_FALSE(is_valid_override_pin(L"1234 "));
  EXPECT_FALSE(is_valid_override_pin(L"1234\r\n"));
  EXPECT_FALSE(is_valid_override_pin(L"12 34"));
  EXPECT_FALSE(is_valid_override_pin(L""));
  EXPECT_FALSE(is_valid_override_pin(nullptr));
  EXPECT_FALSE(is_valid_override_pin(L"\u0661\u0662\u0663\u0664")); // Arabic-Indic digits
  EXPECT_FALSE(is_valid_override_pin(L"\uFF11\uFF12\uFF13\uFF14")); // fullwidth digits
  EXPECT_FALSE(is_valid_override_pin(L"/123"));                     // just below '0'
  EXPECT_FALSE(is_valid_override_pin(L"123:"));                     // just above '9'
}

TEST(ProtectionOverridePin, ALongPastedMessageIsRefusedEvenAsTheFifteenCharactersRead) {
  // The program reads at most 15 characters of the message box.
  const wchar_t* pasted = L"1234 is your Royal Mail redelivery code, reply now";
  EXPECT_FALSE(is_valid_override_pin(pasted));
  wchar_t first15[16];
  wcsncpy(first15, pasted, 15);
  first15[15] = L'\0';
  EXPECT_FALSE(is_valid_override_pin(first15));
}

// ---- the alert text ----

const wchar_t* const kAnyDeskAlert =
    L"STOP - Olvex Callwarden Blocked a Remote Control App! (AnyDesk.exe)\r\n\r\n"
    L"If someone on the phone from 'BT', 'Microsoft', 'Amazon', 'HMRC' or your 'Bank' asked you "
    L"to open this, HANG UP NOW.\r\n\r\n"
    L"Genuine organisations will NEVER ask to remote-control your PC.\r\n";

TEST(ProtectionAlertText, NamesTheToolAndEndsWithAFreephoneHelpLine) {
  wchar_t text[720];
  format_blocker_alert(text, 720, L"AnyDesk.exe");
  const std::wstring shown = text;
  const std::wstring fixed = kAnyDeskAlert;
  ASSERT_EQ(shown.compare(0, fixed.size(), fixed), 0) << std::string(shown.begin(), shown.end());
  const std::wstring last_line = shown.substr(fixed.size());
  EXPECT_FALSE(last_line.empty());
  EXPECT_EQ(last_line.find(L'\n'), std::wstring::npos);
  EXPECT_EQ(last_line.find(L'\r'), std::wstring::npos);
  EXPECT_EQ(last_line.find(L'%'), std::wstring::npos);
  const size_t number = last_line.find(L"0808 157 0");
  ASSERT_NE(number, std::wstring::npos);
  ASSERT_GE(last_line.size(), number + 13);
  for (size_t i = number + 10; i < number + 13; i++)
    EXPECT_TRUE(iswdigit(last_line[i]));
}

TEST(ProtectionAlertText, LongestKeptNameFitsWithoutCutting) {
  const std::wstring name(63, L'x');
  wchar_t text[720];
  format_blocker_alert(text, 720, name.c_str());
  const std::wstring shown = text;
  EXPECT_NE(shown.find(L"(" + name + L")"), std::wstring::npos);
  EXPECT_NE(shown.find(L"0808 157 0"), std::wstring::npos);
  EXPECT_LT(shown.size(), 719u);
}

TEST(ProtectionAlertText, ASmallBufferIsCutAndStaysTerminated) {
  wchar_t text[41];
  for (wchar_t& c : text)
    c = L'#';
  format_blocker_alert(text, 40, L"AnyDesk.exe");
  EXPECT_EQ(text[39], L'\0');
  EXPECT_EQ(text[40], L'#'); // nothing written past the capacity
  EXPECT_EQ(std::wstring(text), std::wstring(kAnyDeskAlert).substr(0, 39));

  wchar_t one[2] = {L'#', L'#'};
  format_blocker_alert(one, 1, L"AnyDesk.exe");
  EXPECT_EQ(one[0], L'\0');
  EXPECT_EQ(one[1], L'#');
}

} // namespace
