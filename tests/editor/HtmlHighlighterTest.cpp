#include <gtest/gtest.h>

#include <cctype>

#include "editor/HighlightHTML.h"
#include "tests/editor/BodyOf.h"

namespace {

struct Case {
  const char* name;
  std::string input;
  std::string body;
};

TEST(HtmlHighlighter, ColoursTokensByKind) {
  const Case cases[] = {
      {"tags and text", "<b>x</b>", "\\cf7 <\\cf4 b\\cf7 >\\cf8 x\\cf7 <\\cf4 /b\\cf7 >"},
      {"quoted value takes the string colour", "<a href=\"x.htm\">",
       "\\cf7 <\\cf4 a\\cf5  \\cf3 href\\cf7 =\\cf6 \"x.htm\"\\cf7 >"},
      {"unquoted value", "<a b=c d>",
       "\\cf7 <\\cf4 a\\cf5  \\cf3 b\\cf7 =\\cf10 c\\cf5  \\cf3 d\\cf7 >"},
      {"unknown tag", "<foo>", "\\cf7 <\\cf9 foo\\cf7 >"},
      {"hash above 243 is a plain name", "<abcdefghijklmnopqrstuvwxyz>",
       "\\cf7 <\\cf3 abcdefghijklmnopqrstuvwxyz\\cf7 >"},
      {"headings by case and digit", "<H1><h1><h7>",
       "\\cf7 <\\cf4 H1\\cf7 >\\cf7 <\\cf4 h1\\cf7 >\\cf7 <\\cf9 h7\\cf7 >"},
      {"closing form of an empty element is unknown", "</br></p>",
       "\\cf7 <\\cf9 /br\\cf7 >\\cf7 <\\cf4 /p\\cf7 >"},
      {"shortest comment", "<!-->x", "\\cf2 <!--\\cf2 >\\cf8 x"},
      {"shortest server script", "<%>x", "\\cf1 <%\\cf1 >\\cf8 x"},
      {"comment over two lines", "<!-- a\r\nb -->c",
       "\\cf2 <!--\\cf2  a\\par \\cf5 \r\n\\cf2 b -->\\cf8 c"},
      {"server script over two lines", "<% x\ny %>",
       "\\cf1 <%\\cf1  x\\cf5 \n\\cf1 y %>"},
      {"entity in text", "<p>&lt;x",
       "\\cf7 <\\cf4 p\\cf7 >\\cf8 \\cf11 &lt;\\cf8 x"},
      {"entity names ignore case", "<p>a&AMP;", "\\cf7 <\\cf4 p\\cf7 >\\cf8 a\\cf11 &AMP;"},
      {"divide has no semicolon", "<p>&divide;",
       "\\cf7 <\\cf4 p\\cf7 >\\cf8 \\cf11 &divide\\cf8 ;"},
      {"unknown entity is text", "<p>&foo;", "\\cf7 <\\cf4 p\\cf7 >\\cf8 &foo;"},
      {"ampersand inside a tag ends it as text", "<a &x>y<i>",
       "\\cf7 <\\cf4 a\\cf5  \\cf5 \\cf8 &x>y\\cf7 <\\cf4 i\\cf7 >"},
      {"leading ampersand", "&amp;", "\\cf11 \\cf8 \\cf11 &amp;"},
      {"before the first tag words are names", "x=\"y\" \"z\"",
       "\\cf3 x\\cf7 =\\cf6 \"y\"\\cf5  \\cf6 \"z\""},
      {"script comment line", "<p>\r\n  // note\r\n",
       "\\cf7 <\\cf4 p\\cf7 >\\par \\cf5 \r\n\\cf2   // note\\par \\cf5 \r\n"},
      {"unterminated value ends at the line", "<a b=\"x\r\nc>",
       "\\cf7 <\\cf4 a\\cf5  \\cf3 b\\cf7 =\\cf6 \"x\\par \\cf5 \r\n\\cf3 c\\cf7 >"},
      {"tabs and blanks", "<a \t b>",
       "\\cf7 <\\cf4 a\\cf5  \\cf5 \t \\cf3 b\\cf7 >"},
      {"braces in text", "<p>{\\}", "\\cf7 <\\cf4 p\\cf7 >\\cf8 \\{\\\\\\}"},
      {"lone line feed joins lines", "a\nb", "\\cf3 a\\cf5 \n\\cf3 b"},
      {"text after a NUL is kept", std::string("<p>a\0b", 6),
       "\\cf7 <\\cf4 p\\cf7 >\\cf8 a\\cf5 \\'00\\cf8 b"},
  };
  for (const Case& c : cases) EXPECT_EQ(BodyOf<THighlightHTML>(c.input), c.body) << c.name;
}

TEST(HtmlHighlighter, EveryKnownTagNameInEitherCase) {
  for (std::string_view name : HtmlTagNames) {
    for (bool upper : {true, false}) {
      std::string text = "<";
      for (char ch : name) text += upper ? ch : static_cast<char>(std::tolower(ch));
      THighlightHTML h;
      h.SetText(text);
      h.NextToken();
      EXPECT_EQ(h.TokenText(), text.substr(1));
      EXPECT_EQ(h.TokenKind(), hkTag) << text;
    }
  }
}

TEST(HtmlHighlighter, EveryEntityIsOneToken) {
  for (std::size_t i = 0; i < HtmlEntities.size(); ++i) {
    const std::string text = ">" + std::string(HtmlEntities[i]);
    THighlightHTML h;
    h.SetText(text);
    while (!h.AtEnd() && h.TokenKind() != hkEntity) h.NextToken();
    // A name may be found under an earlier entry of the same spelling in another case.
    EXPECT_EQ(h.TokenText().size(), HtmlEntities[i].size()) << HtmlEntities[i];
  }
}

}  // namespace
