#include <gtest/gtest.h>

#include "highlight/HighlightXML.h"
#include "tests/highlight/BodyOf.h"

namespace {

struct Case {
    const char* name;
    std::string input;
    std::string body;
};

TEST(XmlHighlighter, ColoursTokensByKind)
{
    const Case cases[] = {
        {"element, attribute and value", "<a x=\"1\">t</a>",
            "\\cf9 <\\cf1 a\\cf10  \\cf2 x\\cf4 =\"\\cf6 1\\cf9 \"\\cf9 >\\cf10 t\\cf9 </\\cf1 a\\cf9 >"},
        {"comment", "<!-- c -->", "\\cf9 <!--\\cf7  c \\cf9 -->"},
        {"comment over lines", "<!--a\nb-->", "\\cf9 <!--\\cf7 a\\cf10 \n\\cf7 b\\cf9 -->"},
        {"lower-case doctype is an element", "<!doctype x>", "\\cf9 <!\\cf1 doctype\\cf10  \\cf2 x\\cf9 >"},
        {"doctype ends at ]>", "<!DOCTYPE a [ <!ENTITY e \"v\"> ]>t",
            "\\cf8 <!DOCTYPE\\cf8  a [ <!ENTITY e \"v\"> ]>\\cf2 t"},
        {"doctype without ]> never ends", "<!DOCTYPE a>\r\n<b/>",
            "\\cf8 <!DOCTYPE\\cf8  a>\\par \\cf10 \r\n\\cf8 <b/>"},
        {"processing instruction", "<?xml version=\"1.0\"?>x", "\\cf6 <?\\cf6 xml version=\"1.0\"?>\\cf10 x"},
        {"cdata section", "<![CDATA[<x>]]>y", "\\cf11 <![CDATA[\\cf11 <x>]]>\\cf10 y"},
        {"namespace attribute", "<a xmlns:p=\"u&amp;v\">",
            "\\cf9 <\\cf1 a\\cf10  \\cf3 xmlns:p\\cf5 =\"\\cf8 u\\cf4 &amp;\\cf8 v\\cf9 \"\\cf9 >"},
        {"single-quoted namespace value", "<a xmlns='u&x;'>",
            "\\cf9 <\\cf1 a\\cf10  \\cf3 xmlns\\cf5 ='\\cf9 u\\cf5 &x;\\cf9 \\cf9 '\\cf9 >"},
        {"single-quoted value", "<a b='x&y;z'>",
            "\\cf9 <\\cf1 a\\cf10  \\cf2 b\\cf4 ='\\cf7 x\\cf3 &y;\\cf7 z\\cf9 '\\cf9 >"},
        {"entities in text", "&amp; a &b c", "\\cf10 \\cf1 &amp;\\cf10  a \\cf1 &b\\cf10  c"},
        {"unquoted value runs to the next quote", "<a b=c>d\"e\r\n",
            "\\cf9 <\\cf1 a\\cf10  \\cf2 b\\cf4 =c>d\"\\cf6 e\\par \\cf10 \r\n"},
        {"quoted value goes on in the next line", "<a b=\"x\ny\">",
            "\\cf9 <\\cf1 a\\cf10  \\cf2 b\\cf4 =\"\\cf6 x\\cf10 \n\\cf6 y\\cf9 \"\\cf9 >"},
        {"empty element", "<a/>", "\\cf9 <\\cf1 a\\cf2 \\cf9 /\\cf9 >"},
        {"text starting with a quote", "<p>\"q\" r", "\\cf9 <\\cf1 p\\cf9 >\\cf6 \"q\" r"},
        {"script comment line", "\r\n  // note", "\\par \\cf10 \r\n\\cf2   // note"},
        {"braces and backslashes", "{\\}", "\\cf10 \\{\\\\\\}"},
        {"closing tag", "</a>", "\\cf9 </\\cf1 a\\cf9 >"},
        {"text after a NUL is kept", std::string("<a>\0<b/>", 8),
            "\\cf9 <\\cf1 a\\cf9 >\\cf10 \\'00\\cf9 <\\cf1 b\\cf2 \\cf9 /\\cf9 >"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BodyOf<THighlightXML>(c.input), c.body) << c.name;
}

} // namespace
