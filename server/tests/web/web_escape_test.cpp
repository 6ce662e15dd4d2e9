// The one escaping module every page writes outside text through.
#include <gtest/gtest.h>

#include "web/web_escape.h"
#include "web/web_form.h"

TEST(WebEscape, TextEscapesEveryCharacterThatOpensMarkup) {
  EXPECT_EQ(html_text("<script>alert('x')</script> & \"y\""),
            "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;y&quot;");
  EXPECT_EQ(html_text("DESKTOP-1234"), "DESKTOP-1234");
  EXPECT_EQ(html_text("&amp;"), "&amp;amp;") << "text that looks escaped is escaped again";
  EXPECT_EQ(html_text("Mum\xE2\x80\x99s PC \xC3\xA9"), "Mum\xE2\x80\x99s PC \xC3\xA9");
}

TEST(WebEscape, AttributeValuesCannotBeLeftOrSplit) {
  EXPECT_EQ(html_attr("\" onfocus=\"x"), "&quot; onfocus=&quot;x");
  EXPECT_EQ(html_attr("a'b"), "a&#39;b");
  EXPECT_EQ(html_attr("line\nbreak\r\ttab"), "line&#10;break&#13;&#9;tab");
}

TEST(WebEscape, BrokenUtf8AndControlBytesBecomeReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(html_text(std::string("a\0b", 3)), "a" + replacement + "b");
  EXPECT_EQ(html_text("\x1b[31m"), replacement + "[31m");
  EXPECT_EQ(html_text("cut \xE2\x80"), "cut " + replacement + replacement) << "byte by byte";
  EXPECT_EQ(html_attr("\xFF<"), replacement + "&lt;");
  // Every byte value, alone, comes out without a raw markup character or control byte.
  for (int b = 0; b < 256; ++b) {
    std::string out = html_attr(std::string(1, static_cast<char>(b)));
    for (char c : out) {
      EXPECT_TRUE(c != '<' && c != '>' && c != '"' && c != '\'') << b;
      EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20) << b;
    }
  }
}

TEST(WebEscape, UrlComponentsKeepOnlyUnreservedCharacters) {
  EXPECT_EQ(url_component("a b&c=d/é"), "a%20b%26c%3Dd%2F%C3%A9");
  EXPECT_EQ(url_component("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(url_component("javascript:x"), "javascript%3Ax");
}

TEST(WebForm, FormBodiesAndCookiesAreDecoded) {
  std::map<std::string, std::string> form;
  ASSERT_TRUE(parse_form("identifier=jane%40example.com&code=123+456&x=%ZZ&code=999&flag", &form));
  EXPECT_EQ(form["identifier"], "jane@example.com");
  EXPECT_EQ(form["code"], "123 456") << "the first of a repeated field counts";
  EXPECT_EQ(form["x"], "%ZZ");
  EXPECT_EQ(form.count("flag"), 1u);
  std::string many;
  for (int i = 0; i < 65; ++i)
    many += "f" + std::to_string(i) + "=1&";
  EXPECT_FALSE(parse_form(many, &form));
  EXPECT_EQ(cookie_value("a=1; __Host-olvex_session=abc; b=2", "__Host-olvex_session"), "abc");
  EXPECT_EQ(cookie_value("x__Host-olvex_session=abc", "__Host-olvex_session"), "");
  EXPECT_EQ(cookie_value("", "a"), "");
}
