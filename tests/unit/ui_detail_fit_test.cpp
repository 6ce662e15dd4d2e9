#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "ui/detail_fit.h"

namespace {

// A made-up font: every unit is `unit_width[font]` wide, lines are `line_height[font]` high,
// words wrap at blanks and paragraphs at line breaks. A missing font measures -1.
struct FakeFonts {
  int unit_width[3];
  int line_height[3];
  int box_width;
  int calls;
};

int lines_of(const std::wstring& text, int per_line) {
  int lines = 0;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(L"\r\n", start);
    const std::wstring paragraph =
        text.substr(start, end == std::wstring::npos ? end : end - start);
    int used = 0;
    int paragraph_lines = 1;
    size_t i = 0;
    while (i < paragraph.size()) {
      size_t word_end = paragraph.find(L' ', i);
      if (word_end == std::wstring::npos) word_end = paragraph.size();
      const int word = static_cast<int>(word_end - i);
      if (used > 0 && used + 1 + word > per_line) {
        paragraph_lines++;
        used = word;
      } else {
        used += (used > 0 ? 1 : 0) + word;
      }
      i = word_end + 1;
    }
    lines += paragraph_lines;
    if (end == std::wstring::npos) return lines;
    start = end + 2;
  }
}

int measure(void* context, int font, const wchar_t* text, size_t units) {
  FakeFonts* f = static_cast<FakeFonts*>(context);
  f->calls++;
  if (font < 0 || font > 2 || f->unit_width[font] == 0) return -1;
  if (units == 0) return 0;
  return lines_of(std::wstring(text, units), f->box_width / f->unit_width[font]) *
         f->line_height[font];
}

const wchar_t kFourReasons[] =
    L"This message looks like a scam.\r\n- A link goes to royalmail-fees.top.\r\n- It asks for "
    L"your card details.\r\n- It asks for a small fee.\r\n- It threatens arrest.\r\nAdvice: Do "
    L"not reply, click or pay.";

TEST(UiDetailFit, ReasonLinesJoinTheHeadlineBehindBulletsAndTheAdviceKeepsItsLine) {
  wchar_t out[DETAIL_FIT_CAPACITY];
  EXPECT_TRUE(join_reason_lines(kFourReasons, out, DETAIL_FIT_CAPACITY));
  EXPECT_STREQ(out, L"This message looks like a scam.  \u2022 A link goes to royalmail-fees.top.  "
                    L"\u2022 It asks for your card details.  \u2022 It asks for a small fee.  "
                    L"\u2022 It threatens arrest.\r\nAdvice: Do not reply, click or pay.");
  EXPECT_FALSE(join_reason_lines(L"No reasons.\r\nAdvice: none", out, DETAIL_FIT_CAPACITY));
  EXPECT_STREQ(out, L"No reasons.\r\nAdvice: none");
  wchar_t small[12];
  join_reason_lines(kFourReasons, small, 12);
  EXPECT_EQ(wcslen(small), 11u);
}

TEST(UiDetailFit, TheTextAsItIsWinsWhenItFits) {
  FakeFonts f = {{6, 5, 4}, {15, 14, 13}, 600, 0};
  DetailFit fit;
  fit_detail(kFourReasons, 3, 90, measure, &f, &fit);
  EXPECT_EQ(fit.font, 0);
  EXPECT_EQ(fit.cut, 0);
  EXPECT_STREQ(fit.text, kFourReasons);
}

TEST(UiDetailFit, FewerLinesComeBeforeASmallerFontAndASmallerFontBeforeACut) {
  FakeFonts f = {{6, 5, 4}, {15, 14, 13}, 600, 0};
  DetailFit fit;
  // Six lines as it is (90 px) do not fit 60 px; joined they make two paragraphs of 30 px.
  fit_detail(kFourReasons, 3, 60, measure, &f, &fit);
  EXPECT_EQ(fit.font, 0);
  EXPECT_EQ(fit.cut, 0);
  EXPECT_NE(wcsstr(fit.text, L"\u2022 It threatens arrest."), nullptr);

  // Too narrow for the card font even joined: the smaller font, still whole.
  f.box_width = 160;
  fit_detail(kFourReasons, 3, 80, measure, &f, &fit);
  EXPECT_EQ(fit.font, 2);
  EXPECT_EQ(fit.cut, 0);
  EXPECT_NE(wcsstr(fit.text, L"Advice: Do not reply, click or pay."), nullptr);
}

TEST(UiDetailFit, NothingFitsSoWholeWordsThenAnEllipsisFillTheBox) {
  FakeFonts f = {{6, 5, 4}, {15, 14, 13}, 120, 0};
  DetailFit fit;
  fit_detail(kFourReasons, 3, 39, measure, &f, &fit);
  EXPECT_EQ(fit.font, 2);
  EXPECT_EQ(fit.cut, 1);
  const std::wstring text = fit.text;
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.back(), L'\u2026');
  EXPECT_NE(text[text.size() - 2], L' ') << "cut after a whole word";
  EXPECT_LE(measure(&f, 2, fit.text, text.size()), 39);
  EXPECT_EQ(text.find(L"This message looks"), 0u);
  // One more word would not have fitted.
  const std::wstring joined = L"This message looks like a scam.  \u2022 A link goes to "
                              L"royalmail-fees.top.  \u2022 It asks";
  EXPECT_EQ(std::wstring(fit.text).substr(0, text.size() - 1), joined.substr(0, text.size() - 1));
}

TEST(UiDetailFit, MissingFontsAreSkippedAndNoFontAtAllDrawsTheTextAsItIs) {
  FakeFonts f = {{6, 0, 4}, {15, 0, 13}, 160, 0};
  DetailFit fit;
  fit_detail(kFourReasons, 3, 60, measure, &f, &fit);
  EXPECT_EQ(fit.font, 2);
  FakeFonts none = {{0, 0, 0}, {0, 0, 0}, 600, 0};
  fit_detail(kFourReasons, 3, 10, measure, &none, &fit);
  EXPECT_EQ(fit.font, 0);
  EXPECT_EQ(fit.cut, 0);
  EXPECT_STREQ(fit.text, kFourReasons);
}

TEST(UiDetailFit, AnEmptyDetailStaysEmpty) {
  FakeFonts f = {{6, 5, 4}, {15, 14, 13}, 600, 0};
  DetailFit fit;
  fit_detail(L"", 3, 5, measure, &f, &fit);
  EXPECT_STREQ(fit.text, L"");
  EXPECT_EQ(fit.cut, 0);
}

} // namespace
