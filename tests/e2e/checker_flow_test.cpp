// The message check as a user meets it, against the local service: a typed message, the
// clipboard from the tray menu, and the boxes for nothing to check.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/ids.h"
#include "tests/e2e/harness.h"

namespace {

const COLORREF SCAM_FILL = RGB(252, 232, 230);
const COLORREF CAUTION_FILL = RGB(254, 247, 224);

// The scam text has a look-alike link, a fee, card details and a threat; the caution one
// only an unpaid charge.
const wchar_t SCAM_TEXT[] = L"Royal Mail: URGENT final notice. Your parcel has an unpaid "
                            L"redelivery fee of \u00a31.99. Enter your card details at "
                            L"https://royalmail-fees.top within 24 hours or you will be arrested.";
const wchar_t CAUTION_TEXT[] = L"Your parcel has an unpaid customs charge";

// A point of the verdict card's bottom padding, where no text is drawn.
COLORREF verdict_card_pixel(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const int width = client.right - client.left; // 680 at 96 DPI
  return client_pixel(window, MulDiv(600, width, 680), MulDiv(526, width, 680));
}

struct PixelWait {
  HWND window;
  COLORREF colour;
};

bool card_has_colour(void* context) {
  PixelWait* wait = static_cast<PixelWait*>(context);
  return verdict_card_pixel(wait->window) == wait->colour;
}

size_t check_requests_count() {
  size_t n = 0;
  for (const std::string& line : service_requests()) {
    if (line.find("check_scam") != std::string::npos) n++;
  }
  return n;
}

bool more_check_requests(void* context) {
  return check_requests_count() > *static_cast<size_t*>(context);
}

// The newest check_scam request, as the service logged it.
std::string last_check_request() {
  std::string last;
  for (const std::string& line : service_requests()) {
    if (line.find("check_scam") != std::string::npos) last = line;
  }
  return last;
}

bool buttons_enabled(void* context) {
  HWND window = static_cast<HWND>(context);
  return IsWindowEnabled(control(window, IDC_CHECK_BUTTON)) &&
         IsWindowEnabled(control(window, IDC_PASTE_CHECK_BUTTON));
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

class CheckerFlow : public ::testing::Test {
protected:
  void SetUp() override {
    if (service_dir().empty()) GTEST_SKIP() << "needs the local service (scripts/with-service)";
    kill_callwarden();
    reg_delete_tree(HKEY_CURRENT_USER, L"Software\\Olvex");
  }

  void TearDown() override {
    kill_callwarden();
    close_program(&program_);
  }

  HWND start(const std::wstring& args) {
    if (!launch_callwarden(args, &program_)) return nullptr;
    HWND window = wait_main_window(15000);
    if (window != nullptr) sync_with(window);
    return window;
  }

  LaunchedProgram program_ = {nullptr, 0};
};

TEST_F(CheckerFlow, a_typed_scam_text_is_sent_trimmed_and_turns_the_card_red) {
  HWND window = start(L"");
  ASSERT_NE(window, nullptr);
  size_t before = check_requests_count();
  ASSERT_TRUE(set_edit_text(window, IDC_MESSAGE_EDIT, std::wstring(L"\r\n  \t") + SCAM_TEXT));
  ASSERT_TRUE(click(window, IDC_CHECK_BUTTON));

  ASSERT_TRUE(wait_until(more_check_requests, &before, 15000));
  const std::string request = last_check_request();
  // The log quotes the body again, so the body's own quotes show as \".
  EXPECT_NE(request.find("\\\"text\\\":\\\"Royal Mail: URGENT"), std::string::npos) << request;
  EXPECT_NE(request.find("fee of \xC2\xA3"
                         "1.99"),
            std::string::npos)
      << request;

  PixelWait red = {window, SCAM_FILL};
  EXPECT_TRUE(wait_until(card_has_colour, &red, 15000))
      << "card pixel " << std::hex << verdict_card_pixel(window);
  EXPECT_TRUE(wait_until(buttons_enabled, window, 5000));
  EXPECT_EQ(window_text(control(window, IDC_MESSAGE_EDIT)), std::wstring(L"\r\n  \t") + SCAM_TEXT)
      << "the edit keeps the text as typed";
  EXPECT_TRUE(message_boxes(program_.pid).empty());
}

TEST_F(CheckerFlow, the_tray_clipboard_check_raises_the_hidden_window_and_checks_the_text) {
  HWND window = start(L"--tray");
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(IsWindowVisible(window));
  const std::wstring text = CAUTION_TEXT;
  ASSERT_TRUE(set_clipboard(&text));
  size_t before = check_requests_count();
  ASSERT_TRUE(post_command(window, IDM_TRAY_CHECK_CLIPBOARD));

  ASSERT_TRUE(wait_until(more_check_requests, &before, 15000));
  EXPECT_NE(last_check_request().find("Your parcel has an unpaid customs charge"),
            std::string::npos);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(window_text(control(window, IDC_MESSAGE_EDIT)), text);
  PixelWait amber = {window, CAUTION_FILL};
  EXPECT_TRUE(wait_until(card_has_colour, &amber, 15000))
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
