#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "service/service_request.h"

namespace {

// Cuts `text` as the request copy does for a field of `limit` + 1 bytes.
std::string cut(const std::string& text, size_t limit) {
  return text.substr(0, utf8_whole_prefix_length(text.c_str(), limit));
}

const std::string kPound = "\xc2\xa3";        // 2 bytes
const std::string kEuro = "\xe2\x82\xac";     // 3 bytes
const std::string kGrin = "\xf0\x9f\x98\x80"; // 4 bytes

} // namespace

TEST(RequestTextCut, keeps_texts_that_fit_whole) {
  EXPECT_EQ(cut("", 10), "");
  EXPECT_EQ(cut("abc", 3), "abc");
  EXPECT_EQ(cut("ab" + kGrin, 6), "ab" + kGrin);
  EXPECT_EQ(cut("abcdef", 3), "abc");
}

TEST(RequestTextCut, never_ends_inside_a_character) {
  // Each multi-byte character placed so the limit falls after each of its bytes.
  for (const std::string& ch : {kPound, kEuro, kGrin}) {
    for (size_t kept = 0; kept <= ch.size(); kept++) {
      const std::string text = std::string(10, 'a') + ch + "z";
      const std::string expected =
          kept == ch.size() ? std::string(10, 'a') + ch : std::string(10, 'a');
      EXPECT_EQ(cut(text, 10 + kept), expected) << "bytes of the character kept: " << kept;
    }
  }
  EXPECT_EQ(cut(kGrin + kGrin, 7), kGrin);
}

TEST(RequestTextCut, cuts_invalid_text_at_the_limit) {
  // Stray continuation bytes have no character to keep whole.
  EXPECT_EQ(cut("ab\x80\x80\x80\x80\x80", 4), "ab\x80\x80");
  EXPECT_EQ(cut("a\x80\x80\x80\x80", 3), "a\x80\x80");
  // A lead byte whose sequence is too short to reach the cut.
  EXPECT_EQ(cut("\xc2\x80\x80\x80", 3), "\xc2\x80\x80");
}

TEST(RequestPrepare, copies_every_text_cut_at_a_whole_character) {
  std::unique_ptr<ServiceRequest> request(new ServiceRequest());
  int window = 0;
  const std::string text = std::string(6497, 'm') + kEuro;  // 6500 bytes
  const std::string extra = std::string(126, 'x') + kPound; // 128 bytes
  const std::string label = std::string(127, 'l') + "L";    // 128 bytes
  prepare_service_request(request.get(), REQUEST_VERIFY_PIN, &window, text.c_str(), extra.c_str(),
                          label.c_str(), "ocp_token");
  EXPECT_EQ(request->kind, static_cast<uint32_t>(REQUEST_VERIFY_PIN));
  EXPECT_EQ(request->reply_window, &window);
  EXPECT_EQ(std::string(request->text), std::string(6497, 'm'));
  EXPECT_EQ(std::string(request->extra), std::string(126, 'x'));
  EXPECT_EQ(std::string(request->device_label), std::string(127, 'l'));
  EXPECT_STREQ(request->auth_token, "ocp_token");
}

TEST(RequestPrepare, keeps_texts_that_end_exactly_at_the_field_limit) {
  std::unique_ptr<ServiceRequest> request(new ServiceRequest());
  const std::string text = std::string(6496, 'm') + kEuro;  // 6499 bytes
  const std::string extra = std::string(125, 'x') + kPound; // 127 bytes
  prepare_service_request(request.get(), REQUEST_CHECK_SCAM, nullptr, text.c_str(), extra.c_str(),
                          "PC", "");
  EXPECT_EQ(std::string(request->text), text);
  EXPECT_EQ(std::string(request->extra), extra);
  const std::string plain(7000, 'p');
  prepare_service_request(request.get(), REQUEST_CHECK_SCAM, nullptr, plain.c_str(), nullptr, "PC",
                          "");
  EXPECT_EQ(std::string(request->text), std::string(6499, 'p'));
  EXPECT_STREQ(request->extra, "");
}

TEST(RequestPrepare, null_texts_become_empty) {
  std::unique_ptr<ServiceRequest> request(new ServiceRequest());
  memset(request.get(), 'z', sizeof(ServiceRequest));
  prepare_service_request(request.get(), REQUEST_APP_STATUS, nullptr, nullptr, nullptr, nullptr,
                          nullptr);
  EXPECT_STREQ(request->text, "");
  EXPECT_STREQ(request->extra, "");
  EXPECT_STREQ(request->device_label, "");
  EXPECT_STREQ(request->auth_token, "");
}
