// What an alert says, when it is held back as a repeat, UK time, and the weak-PIN warning.
#include <gtest/gtest.h>

#include "alerts/alert_text.h"
#include "api/guardian_pin_rules.h"
#include "base/uk_time.h"

namespace {

// 2026-03-29 01:00 UTC and 2026-10-25 01:00 UTC: the changes to and from BST.
const int64_t kSummerStarts = 1774746000;
const int64_t kSummerEnds = 1792890000;

} // namespace

TEST(UkTime, WinterIsGmtAndSummerIsOneHourAhead) {
  EXPECT_EQ(uk_clock(1767225720), "00:02"); // 2026-01-01 00:02 UTC
  EXPECT_EQ(uk_clock(1781877720), "15:02"); // 2026-06-19 14:02 UTC
  EXPECT_EQ(uk_date_time(1781877720), "19 June 2026 at 15:02");
  EXPECT_EQ(uk_date_time(1767225599), "31 December 2025 at 23:59");
}

TEST(UkTime, ClocksChangeAtOneInTheMorningUtcOnTheLastSundays) {
  EXPECT_EQ(uk_clock(kSummerStarts - 1), "00:59");
  EXPECT_FALSE(uk_time(kSummerStarts - 1).summer);
  EXPECT_EQ(uk_clock(kSummerStarts), "02:00");
  EXPECT_TRUE(uk_time(kSummerStarts).summer);
  EXPECT_EQ(uk_clock(kSummerEnds - 1), "01:59");
  EXPECT_EQ(uk_clock(kSummerEnds), "01:00");
  EXPECT_EQ(uk_date_time(kSummerEnds), "25 October 2026 at 01:00");
  // Another year's rule: 2024 changed on 31 March and 27 October.
  EXPECT_FALSE(uk_time(1711846799).summer);
  EXPECT_TRUE(uk_time(1711846800).summer);
  EXPECT_TRUE(uk_time(1729990799).summer);
  EXPECT_FALSE(uk_time(1729990800).summer);
}

TEST(AlertText, ToolStoppedNamesToolComputerTimeAndWhomToCall) {
  AlertFacts facts{kAlertToolStopped, "DESKTOP-1234", "Mum", "AnyDesk.exe", 1767276120};
  EXPECT_EQ(alert_text(facts), "Callwarden stopped AnyDesk on DESKTOP-1234 at 14:02. If nobody in "
                               "the family expected this, call Mum now.");
  facts.person_name = "";
  facts.tool_name = "SCREENCONNECT.CLIENTSERVICE.EXE";
  EXPECT_EQ(alert_text(facts), "Callwarden stopped ScreenConnect on DESKTOP-1234 at 14:02. If "
                               "nobody in the family expected this, call the person who uses "
                               "that computer now.");
}

TEST(AlertText, OtherAlertsAndLabelsThatTryToBreakTheLine) {
  AlertFacts facts{kAlertOverrideStarted, "KITCHEN\r\nBcc: x@example.com", "Dad", "", 1781877720};
  const std::string override_text = alert_text(facts);
  EXPECT_EQ(override_text, "The Guardian PIN switched Callwarden's remote-tool blocker off for 1 "
                           "hour on KITCHEN Bcc: x@example.com at 15:02. If nobody in the family "
                           "expected this, call Dad now.");
  facts.kind = kAlertWrongPins;
  EXPECT_EQ(alert_text(facts).rfind("Someone typed a wrong Guardian PIN 3 times in a row on ", 0),
            0u);
  facts.kind = kAlertScamChecked;
  EXPECT_EQ(alert_text(facts), "A message checked on KITCHEN Bcc: x@example.com at 15:02 looks "
                               "like a scam. If nobody in the family expected this, call Dad now.");
  EXPECT_EQ(tool_display_name("my-helper.exe"), "my-helper");
  EXPECT_EQ(tool_display_name(""), "a remote-control program");
  EXPECT_EQ(one_line(std::string(100, 'x')).size(), 60u);
}

TEST(AlertText, RepeatsAreOnePerComputerAndToolAndOverridesAlwaysGoOut) {
  AlertFacts a{kAlertToolStopped, "DESKTOP-1234", "", "AnyDesk.exe", 0};
  AlertFacts same = a;
  same.tool_name = "anydesk.EXE";
  same.device_label = "desktop-1234";
  AlertFacts other_tool = a;
  other_tool.tool_name = "TeamViewer.exe";
  AlertFacts other_computer = a;
  other_computer.device_label = "LAPTOP";
  EXPECT_EQ(alert_repeat_key(7, a), alert_repeat_key(7, same));
  EXPECT_NE(alert_repeat_key(7, a), alert_repeat_key(7, other_tool));
  EXPECT_NE(alert_repeat_key(7, a), alert_repeat_key(7, other_computer));
  EXPECT_NE(alert_repeat_key(7, a), alert_repeat_key(8, a));
  EXPECT_EQ(alert_repeat_seconds(a), 600);
  // A linked computer is one computer whatever label it sends, and a tool one tool however
  // its name is spelled.
  AlertFacts linked = a;
  linked.device_key = "l1";
  AlertFacts renamed = linked;
  renamed.device_label = "SOMETHING-ELSE";
  for (const char* spelling :
       {"anydesk", "C:\\Users\\x\\Downloads\\AnyDesk (1).EXE", "Any Desk", "ANYDESK.exe"}) {
    renamed.tool_name = spelling;
    EXPECT_EQ(alert_repeat_key(7, linked), alert_repeat_key(7, renamed)) << spelling;
  }
  AlertFacts other_link = linked;
  other_link.device_key = "l2";
  EXPECT_NE(alert_repeat_key(7, linked), alert_repeat_key(7, other_link));
  EXPECT_EQ(tool_canonical_name("/opt/TeamViewer_Setup.exe"), "teamviewer");
  EXPECT_EQ(tool_canonical_name("My-Helper.EXE"), "myhelper");
  AlertFacts override_started{kAlertOverrideStarted, "DESKTOP-1234", "", "", 0};
  EXPECT_EQ(alert_repeat_key(7, override_started), "");
}

TEST(GuardianPinRules, ObviousGuessesAreNamedAndOthersPass) {
  for (const char* weak :
       {"0000", "7777", "1234", "6789", "8901", "4321", "1212", "1122", "2580", "1966", "2001"})
    EXPECT_FALSE(weak_pin_reason(weak).empty()) << weak;
  for (const char* fine : {"4821", "9052", "3719", "1357"})
    EXPECT_EQ(weak_pin_reason(fine), "") << fine;
  EXPECT_TRUE(is_four_digits("0000"));
  for (const char* bad : {"123", "12345", "12a4", " 123", "１２３４"})
    EXPECT_FALSE(is_four_digits(bad)) << bad;
}
