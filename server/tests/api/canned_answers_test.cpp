#include <gtest/gtest.h>

#include "api/canned_answers.h"

namespace {

TEST(CannedAnswerParse, DefaultsToOneJsonAnswerWithStatus200) {
  CannedAnswer answer;
  std::string error;
  ASSERT_TRUE(parse_canned_answer("{}", &answer, &error));
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.body, "");
  EXPECT_EQ(answer.count, 1);
  EXPECT_EQ(answer.delay_ms, 0);
  EXPECT_EQ(answer.content_type, "application/json");
}

TEST(CannedAnswerParse, GeneratedBodyReplacesGivenBody) {
  CannedAnswer answer;
  std::string error;
  ASSERT_TRUE(parse_canned_answer(
      R"({"status":200,"body":"...","body_repeat_char":"x","body_length":5,"delay_ms":10,"count":3})",
      &answer, &error));
  EXPECT_EQ(answer.body, "xxxxx");
  EXPECT_EQ(answer.delay_ms, 10);
  EXPECT_EQ(answer.count, 3);
}

TEST(CannedAnswerParse, OutOfRangeValuesAreExplained) {
  CannedAnswer answer;
  std::string error;
  EXPECT_FALSE(parse_canned_answer(R"({"status":600})", &answer, &error));
  EXPECT_NE(error.find("status"), std::string::npos);
  EXPECT_FALSE(
      parse_canned_answer(R"({"body_length":16777217,"body_repeat_char":"x"})", &answer, &error));
  EXPECT_FALSE(parse_canned_answer(R"({"delay_ms":120001})", &answer, &error));
  EXPECT_FALSE(parse_canned_answer(R"({"count":1.5})", &answer, &error));
  EXPECT_FALSE(parse_canned_answer(R"({"body":5})", &answer, &error));
  EXPECT_FALSE(parse_canned_answer(R"({"body_repeat_char":"x"})", &answer, &error));
  EXPECT_FALSE(parse_canned_answer(R"([1])", &answer, &error));
}

TEST(CannedAnswerQueue, TakesCountUsesThenNothing) {
  CannedAnswers answers;
  canned_set(&answers, CannedAnswer{500, "x", "text/plain", 0, 2});
  CannedAnswer out;
  EXPECT_TRUE(canned_take(&answers, &out));
  EXPECT_EQ(out.status, 500);
  EXPECT_TRUE(canned_take(&answers, &out));
  EXPECT_FALSE(canned_take(&answers, &out));
  canned_set(&answers, CannedAnswer{500, "x", "text/plain", 0, 2});
  canned_reset(&answers);
  EXPECT_FALSE(canned_take(&answers, &out));
}

} // namespace
