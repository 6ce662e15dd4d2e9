// The message check as a user meets it, against the service: a typed message and
// the card while its answer is pending, each verdict, failed checks, the clipboard from
// the button and the tray menu, and the boxes for nothing to check.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/ids.h"
#include "app/vendor.h"
#include "tests/e2e/acceptance_screen.h"
#include "tests/e2e/harness.h"

namespace {

struct CardLook {
  COLORREF fill;
  COLORREF status; // the status line's colour
};

const CardLook CHECKING = {RGB(239, 246, 255), RGB(11, 87, 208)};
const CardLook SAFE = {RGB(230, 244, 234), RGB(20, 108, 46)};
const CardLook CAUTION = {RGB(254, 247, 224), RGB(146, 64, 14)};
const CardLook SCAM = {RGB(252, 232, 230), RGB(179, 38, 30)};

// The scam text has a look-alike link, a fee, card details and a threat; the caution one
// only an unpaid charge; the safe one nothing at all.
const wchar_t SCAM_TEXT[] = L"Royal Mail: URGENT final notice. Your parcel has an unpaid "
                            L"redelivery fee of \u00a31.99. Enter your card details at "
                            L"https://royalmail-fees.top within 24 hours or you will be arrested.";
const wchar_t CAUTION_TEXT[] = L"Your parcel has an unpaid customs charge";
const wchar_t SAFE_TEXT[] = L"Hi Mum, I'll be home about 7, can you save me some dinner? x";

const wchar_t SCAM_HEAD[] = L"DANGER: SCAM DETECTED  (Risk Score: ";
const wchar_t CAUTION_HEAD[] = L"BE CAREFUL \u2014 Suspicious Signs Found  (Risk: ";
const wchar_t SAFE_HEAD[] = L"SAFE \u2014 No Obvious Scam Tricks Spotted  (Risk: ";

template <typename Condition> bool poll(Condition condition, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return condition();
    Sleep(50);
  }
}

// A point of the verdict card's bottom padding, where no text is drawn.
COLORREF verdict_card_pixel(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const int width = client.right - client.left; // 680 at 96 DPI
  return client_pixel(window, MulDiv(600, width, 680), MulDiv(532, width, 680));
}

bool card_turns(HWND window, COLORREF fill) {
  return poll([&] { return verdict_card_pixel(window) == fill; }, 15000);
}

// The card's two texts as painted at 96 DPI (client width 680; see ui/layout.h).
PaintedText status_place(const CardLook& look) {
  return {{46, 410, 634, 434}, 15,        700,
          look.status,         look.fill, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS};
}

// `px`: the card font (13) unless the text needed a smaller one to fit.
PaintedText detail_place(const CardLook& look, int px = 13) {
  return {{46, 434, 634, 530}, px, 400, RGB(31, 41, 55), look.fill, DT_WORDBREAK | DT_EDITCONTROL};
}

std::string utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    &out[0], static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

// Polls until the box shows `text`; says what it showed when it does not.
::testing::AssertionResult shows(HWND window, const PaintedText& place, const std::wstring& text) {
  if (wait_painted_text(window, place, text, 10000)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "not painted: \"" << utf8(text) << "\" ("
         << painted_text_difference(window, place, text) << " pixels differ)";
}

size_t check_requests_count() {
  size_t n = 0;
  for (const std::string& line : service_requests()) {
    if (line.find("check_scam") != std::string::npos) n++;
  }
  return n;
}

bool check_sent_after(size_t before) {
  return poll([&] { return check_requests_count() > before; }, 15000);
}

// The newest check_scam request, as the service logged it.
std::string last_check_request() {
  std::string last;
  for (const std::string& line : service_requests()) {
    if (line.find("check_scam") != std::string::npos) last = line;
  }
  return last;
}

bool buttons_enabled(HWND window) {
  return IsWindowEnabled(control(window, IDC_CHECK_BUTTON)) &&
         IsWindowEnabled(control(window, IDC_PASTE_CHECK_BUTTON));
}

bool buttons_come_back(HWND window) {
  return poll([&] { return buttons_enabled(window); }, 15000);
}

bool set_clipboard(const std::wstring* text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool ok = true;
  if (text != nullptr) {
    const size_t bytes = (text->size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    ok = block != nullptr;
    if (ok) {
      memcpy(GlobalLock(block), text->c_str(), bytes);
      GlobalUnlock(block);
      ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
      if (!ok) GlobalFree(block);
    }
  }
  CloseClipboard();
  return ok;
}

// The next check gets this answer instead of the engine's, after `delay_ms`.
bool prepare_answer(int status, const std::string& body, int delay_ms) {
  std::string quoted;
  for (char c : body) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return service_control(L"/test/next_answer",
                         "{\"status\":" + std::to_string(status) + ",\"body\":\"" + quoted +
                             "\",\"delay_ms\":" + std::to_string(delay_ms) + "}");
}

class CheckerFlow : public ::testing::Test {
protected:
  void SetUp() override {
    if (service_dir().empty()) GTEST_SKIP() << "needs the service (scripts/with-service)";
    kill_callwarden();
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
  }

  void TearDown() override {
    kill_callwarden();
    close_program(&program_);
    service_control(L"/test/reset", "{}"); // an answer a failed test left prepared
  }

  // Starts the program and waits for its status request, so that an answer prepared
  // afterwards goes to the check and not to that request.
  HWND start(const std::wstring& args) {
    const size_t statuses = status_requests_count();
    if (!launch_callwarden(args, &program_)) return nullptr;
    HWND window = wait_started(&program_, args.find(L"tray") == std::wstring::npos, 15000);
    if (window == nullptr || !poll([&] { return status_requests_count() > statuses; }, 15000))
      return nullptr;
    sync_with(window);
    return window;
  }

  static size_t status_requests_count() {
    size_t n = 0;
    for (const std::string& line : service_requests()) {
      if (line.find("app_status") != std::string::npos) n++;
    }
    return n;
  }

  // Types `text`, presses "Check Message / Link" and waits until the service has it.
  void check_typed(HWND window, const std::wstring& text) {
    const size_t before = check_requests_count();
    ASSERT_TRUE(set_edit_text(window, IDC_MESSAGE_EDIT, text));
    ASSERT_TRUE(click(window, IDC_CHECK_BUTTON));
    ASSERT_TRUE(check_sent_after(before));
  }

  LaunchedProgram program_ = {nullptr, 0};
};

TEST_F(CheckerFlow, a_typed_scam_text_is_sent_trimmed_and_turns_the_card_red) {
  HWND window = start(L"");
  ASSERT_NE(window, nullptr);
  ASSERT_NO_FATAL_FAILURE(check_typed(window, std::wstring(L"\r\n  \t") + SCAM_TEXT));
  const std::string request = last_check_request();
  // The log quotes the body again, so the body's own quotes show as \".
  EXPECT_NE(request.find("\\\"text\\\":\\\"Royal Mail: URGENT"), std::string::npos) << request;
  EXPECT_NE(request.find("fee of \xC2\xA3"
                         "1.99"),
            std::string::npos)
      << request;

  EXPECT_TRUE(card_turns(window, SCAM.fill))
      << "card pixel " << std::hex << verdict_card_pixel(window);
  EXPECT_TRUE(buttons_come_back(window));
  EXPECT_EQ(window_text(control(window, IDC_MESSAGE_EDIT)), std::wstring(L"\r\n  \t") + SCAM_TEXT)
      << "the edit keeps the text as typed";
  EXPECT_TRUE(message_boxes(program_.pid).empty());
}

TEST_F(CheckerFlow, a_pending_check_shows_checking_with_both_buttons_off_until_its_answer) {
  HWND window = start(L"");
  ASSERT_NE(window, nullptr);
  // Empty reasons are left out of the card.
  ASSERT_TRUE(prepare_answer(200,
                             R"({"ok":true,"verdict":"SCAM","risk_score":92,)"
                             R"("headline":"This message looks like a scam.","reasons":)"
                             R"(["It asks for your card details.","","The link is not Royal )"
                             R"(Mail's own."],"advice":"Do not reply or click the link."})",
                             4000));
  ASSERT_NO_FATAL_FAILURE(check_typed(window, SCAM_TEXT));
  EXPECT_FALSE(IsWindowEnabled(control(window, IDC_CHECK_BUTTON)));
  EXPECT_FALSE(IsWindowEnabled(control(window, IDC_PASTE_CHECK_BUTTON)));
  EXPECT_EQ(verdict_card_pixel(window), CHECKING.fill);
  EXPECT_TRUE(shows(window, status_place(CHECKING), L"Checking with Olvex Callwarden AI..."));
  EXPECT_TRUE(shows(window, detail_place(CHECKING),
                    L"Inspecting links, UK sender domains, and scam language \u2014 one moment "
                    L"please..."));
  EXPECT_FALSE(buttons_enabled(window)) << "the answer is still on its way";

  EXPECT_TRUE(buttons_come_back(window));
  EXPECT_TRUE(card_turns(window, SCAM.fill));
  EXPECT_TRUE(shows(window, status_place(SCAM), L"DANGER: SCAM DETECTED  (Risk Score: 92/100)"));
  EXPECT_TRUE(shows(window, detail_place(SCAM),
                    L"This message looks like a scam.\r\n- It asks for your card details.\r\n- "
                    L"The link is not Royal Mail's own.\r\nAdvice: Do not reply or click the "
                    L"link."));
}

// As long as the service's verdicts get: four reasons, one over two lines, and advice over
// three. It must show whole, as it is, on fewer lines or in a smaller font, never cut.
TEST_F(CheckerFlow, a_four_reason_verdict_shows_whole_in_its_card) {
  HWND window = start(L"");
  ASSERT_NE(window, nullptr);
  const char* reasons[] = {
      "A link goes to royalmail-fees.top, which uses the name Royal Mail but is not Royal Mail's "
      "website.",
      "It asks for your card or bank details.",
      "It asks for a small fee to deliver a parcel, the most common scam text in the UK.",
      "It threatens arrest, fines or a closed account to frighten you into acting."};
  const char* advice =
      "Do not open it. Go to Royal Mail's own website or app by typing the address yourself. Do "
      "not reply, click or pay. If it came by text, forward it to 7726 for free. If you have "
      "already paid or shared details, call your bank on 159 and report it to Action Fraud.";
  std::string body = R"({"ok":true,"verdict":"SCAM","risk_score":100,)"
                     R"("headline":"This message looks like a scam.","reasons":[)";
  std::wstring shown = L"This message looks like a scam.";
  for (size_t i = 0; i < 4; i++) {
    body += std::string(i ? "," : "") + "\"" + reasons[i] + "\"";
    shown += L"\r\n- " + std::wstring(reasons[i], reasons[i] + strlen(reasons[i]));
  }
  body += std::string(R"(],"advice":")") + advice + "\"}";
  shown += L"\r\nAdvice: " + std::wstring(advice, advice + strlen(advice));
  std::wstring joined = shown;
  for (size_t at = joined.find(L"\r\n- "); at != std::wstring::npos; at = joined.find(L"\r\n- "))
    joined.replace(at, 4, L"  \u2022 ");
  ASSERT_TRUE(prepare_answer(200, body, 0));
  ASSERT_NO_FATAL_FAILURE(check_typed(window, SCAM_TEXT));
  ASSERT_TRUE(card_turns(window, SCAM.fill));
  bool whole = false;
  poll(
      [&] {
        for (int px : {13, 12, 11}) {
          for (const std::wstring* text : {&shown, &joined})
            whole = whole || painted_text_difference(window, detail_place(SCAM, px), *text) == 0;
        }
        return whole;
      },
      10000);
  EXPECT_TRUE(whole) << "the detail box does not show the whole verdict in 13, 12 or 11 px";
  // Below the text only the card's padding: nothing runs into its edge.
  for (int x = 46; x < 634; x++)
    ASSERT_EQ(client_pixel(window, x, 532), SCAM.fill) << x;
}

TEST_F(CheckerFlow, each_verdict_of_the_service_paints_its_colours_and_status_line) {
  struct Case {
    const wchar_t* text;
    CardLook look;
    const wchar_t* head; // the status line up to the score
    int lowest;
    int highest;
  };
  const Case cases[] = {{SCAM_TEXT, SCAM, SCAM_HEAD, 60, 100},
                        {CAUTION_TEXT, CAUTION, CAUTION_HEAD, 25, 59},
                        {SAFE_TEXT, SAFE, SAFE_HEAD, 0, 24}};
  HWND window = start(L"");
  ASSERT_NE(window, nullptr);
  RECT client;
  GetClientRect(window, &client);
  ASSERT_EQ(client.right, 680) << "the painted places are those of a 96 DPI screen";
  for (const Case& c : cases) {
    SCOPED_TRACE(utf8(c.head));
    ASSERT_NO_FATAL_FAILURE(check_typed(window, c.text));
    EXPECT_TRUE(card_turns(window, c.look.fill))
        << "card pixel " << std::hex << verdict_card_pixel(window);
    const PaintedText status = status_place(c.look);
    int score = -1;
    poll(
        [&] {
          score = painted_number(window, status, c.head, L"/100)", c.lowest, c.highest);
          return score >= 0;
        },
        5000);
    EXPECT_GE(score, c.lowest) << "the status line does not read \"" << utf8(c.head)
                               << "N/100)\" with a score from " << c.lowest << " to " << c.highest;
    EXPECT_TRUE(buttons_come_back(window));
  }
}

TEST_F(CheckerFlow, a_failed_check_shows_a_notice_in_caution_colours) {
  struct Case {
    int status;
    const char* body;
    const wchar_t* detail;
  };
  // An empty answer counts as no answer at all; a refusal carries the service's own words;
  // anything else that is not JSON gets the program's own text.
  const Case cases[] = {
      {200, "",
       L"Unable to "
       L"reach " CALLWARDEN_SERVICE_HOST_W L" right now. Please check your internet connection."},
      {429, R"({"ok":false,"error":"You have used today's 5 free scam checks on this computer."})",
       L"You have used today's 5 free scam checks on this computer."},
      {503, "<html>Service Unavailable</html>", L"Unable to check message right now."}};
  HWND window = start(L"");
  ASSERT_NE(window, nullptr);
  RECT client;
  GetClientRect(window, &client);
  ASSERT_EQ(client.right, 680) << "the painted places are those of a 96 DPI screen";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    ASSERT_TRUE(prepare_answer(c.status, c.body, 0));
    ASSERT_NO_FATAL_FAILURE(check_typed(window, CAUTION_TEXT));
    EXPECT_TRUE(shows(window, detail_place(CAUTION), c.detail));
    EXPECT_TRUE(shows(window, status_place(CAUTION), L"Notice"));
    EXPECT_EQ(verdict_card_pixel(window), CAUTION.fill);
    EXPECT_TRUE(buttons_come_back(window));
    EXPECT_TRUE(message_boxes(program_.pid).empty());
  }
}

TEST_F(CheckerFlow, the_paste_button_checks_the_clipboard_and_leaves_the_edit_alone_without_text) {
  HWND window = start(L"");
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(set_edit_text(window, IDC_MESSAGE_EDIT, L"typed, not checked"));
  const std::wstring text = SAFE_TEXT;
  ASSERT_TRUE(set_clipboard(&text));
  size_t before = check_requests_count();
  ASSERT_TRUE(click(window, IDC_PASTE_CHECK_BUTTON));
  ASSERT_TRUE(check_sent_after(before));
  EXPECT_NE(last_check_request().find("Hi Mum, I'll be home about 7"), std::string::npos)
      << last_check_request();
  EXPECT_EQ(last_check_request().find("typed, not checked"), std::string::npos);
  EXPECT_EQ(window_text(control(window, IDC_MESSAGE_EDIT)), text) << "the clipboard replaces it";
  EXPECT_TRUE(card_turns(window, SAFE.fill));
  EXPECT_TRUE(buttons_come_back(window));

  // Nothing on the clipboard: the box says so.
  ASSERT_TRUE(set_clipboard(nullptr));
  before = check_requests_count();
  ASSERT_TRUE(click(window, IDC_PASTE_CHECK_BUTTON));
  HWND box = wait_message_box(program_.pid, 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Olvex Callwarden");
  EXPECT_EQ(message_box_text(box), L"Your clipboard does not currently contain text. Copy a "
                                   L"suspicious message or web link first, then click again.");
  EXPECT_TRUE(answer_message_box(box, IDOK));

  // An empty text: nothing at all. The click is sent, so its handler has run on return.
  const std::wstring empty;
  ASSERT_TRUE(set_clipboard(&empty));
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(control(window, IDC_PASTE_CHECK_BUTTON), BM_CLICK, 0, 0, SMTO_NORMAL, 5000,
                      &ignored);
  EXPECT_TRUE(message_boxes(program_.pid).empty());
  EXPECT_TRUE(buttons_enabled(window)) << "no check began";
  EXPECT_EQ(verdict_card_pixel(window), SAFE.fill);
  EXPECT_EQ(window_text(control(window, IDC_MESSAGE_EDIT)), text);
  EXPECT_EQ(check_requests_count(), before);
}

TEST_F(CheckerFlow, the_tray_clipboard_check_raises_the_hidden_window_and_checks_the_text) {
  HWND window = start(L"--tray");
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(IsWindowVisible(window));
  const std::wstring text = CAUTION_TEXT;
  ASSERT_TRUE(set_clipboard(&text));
  size_t before = check_requests_count();
  ASSERT_TRUE(post_command(window, IDM_TRAY_CHECK_CLIPBOARD));

  ASSERT_TRUE(check_sent_after(before));
  EXPECT_NE(last_check_request().find("Your parcel has an unpaid customs charge"),
            std::string::npos);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(window_text(control(window, IDC_MESSAGE_EDIT)), text);
  EXPECT_TRUE(card_turns(window, CAUTION.fill))
      << "card pixel " << std::hex << verdict_card_pixel(window);
}

TEST_F(CheckerFlow, a_blank_message_is_not_sent_and_says_what_to_do) {
  HWND window = start(L"");
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(set_edit_text(window, IDC_MESSAGE_EDIT, L"  \r\n\t "));
  size_t before = check_requests_count();
  ASSERT_TRUE(click(window, IDC_CHECK_BUTTON));
  HWND box = wait_message_box(program_.pid, 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(message_box_caption(box), L"Olvex Callwarden");
  EXPECT_EQ(message_box_text(box),
            L"Please paste or type a suspicious text message, email, or web "
            L"link into the box first (or click 'Paste Clipboard & Check').");
  EXPECT_TRUE(answer_message_box(box, IDOK));
  sync_with(window);
  EXPECT_EQ(check_requests_count(), before);
  EXPECT_TRUE(buttons_enabled(window));
}

TEST_F(CheckerFlow, a_clipboard_without_text_is_reported_from_the_tray_too) {
  HWND window = start(L"--tray");
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(set_clipboard(nullptr));
  ASSERT_TRUE(post_command(window, IDM_TRAY_CHECK_CLIPBOARD));
  HWND box = wait_message_box(program_.pid, 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(IsWindowVisible(window)) << "the window comes up before the box";
  EXPECT_EQ(message_box_caption(box), L"Olvex Callwarden");
  EXPECT_EQ(message_box_text(box), L"Your clipboard does not currently contain text. Copy a "
                                   L"suspicious message or web link first, then click again.");
  EXPECT_TRUE(answer_message_box(box, IDOK));
}

} // namespace

namespace {

// A list in URLhaus's layout, written for this test: one made-up address, and the list's date.
const char URLHAUS_LIST[] =
    "# Last updated: 2025-12-10 13:05:02 (UTC)\n"
    "# id,dateadded,url,url_status,last_online,threat,tags,urlhaus_link,reporter\n"
    "\"4410001\",\"2025-12-10 12:58:11\",\"https://statement-viewer.example/doc/4471\","
    "\"online\",\"2025-12-10 12:58:11\",\"malware_download\",\"exe\","
    "\"https://urlhaus.abuse.ch/url/4410001/\",\"tester\"\n";

// The operator imports a public list while the service runs; the program's check of a link on
// it shows SCAM and names the list.
TEST_F(CheckerFlow, a_link_on_a_public_list_of_scam_websites_is_a_scam_and_names_the_list) {
  char linux_data[1024] = {};
  ASSERT_GT(GetEnvironmentVariableA("CALLWARDEN_SERVICE_DATA", linux_data, sizeof(linux_data)), 0u);
  ASSERT_TRUE(write_file_bytes(service_dir() + L"\\urlhaus-test.csv", URLHAUS_LIST));
  ASSERT_TRUE(service_command("import-threats --format urlhaus " + std::string(linux_data) +
                              "/urlhaus-test.csv"));
  HWND window = start(L"");
  ASSERT_NE(window, nullptr);
  // Every instance loads a new list within two seconds of its import: checked again a second
  // apart until then.
  bool scam = false;
  for (int tries = 0; tries < 5 && !scam; tries++) {
    if (tries > 0) Sleep(1000);
    ASSERT_NO_FATAL_FAILURE(
        check_typed(window, L"Your statement is ready: https://statement-viewer.example/doc/4471"));
    ASSERT_TRUE(buttons_come_back(window)) << "the answer came";
    scam = poll([&] { return verdict_card_pixel(window) == SCAM.fill; }, 1500);
  }
  ASSERT_TRUE(scam) << "card pixel " << std::hex << verdict_card_pixel(window);
  const std::wstring shown =
      L"This message looks like a scam.\r\n- This link is on URLhaus's public list of scam "
      L"websites (updated 10 December).\r\nAdvice: Do not open the link or type anything into "
      L"the page it opens: it is known to steal details or money, or to install harmful "
      L"software. Do not reply, click or pay. If it came by text, forward it to 7726 for free. "
      L"If you have already paid or shared details, call your bank on 159 and report it to "
      L"Action Fraud.";
  bool whole = false;
  poll(
      [&] {
        for (int px : {13, 12, 11})
          whole = whole || painted_text_difference(window, detail_place(SCAM, px), shown) == 0;
        return whole;
      },
      10000);
  EXPECT_TRUE(whole) << "the card does not show the list's reason";
  EXPECT_TRUE(shows(window, status_place(SCAM), L"DANGER: SCAM DETECTED  (Risk Score: 100/100)"));
}

} // namespace
