#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "highlight/HighlightHTML.h"
#include "tests/highlight/BodyOf.h"

namespace {

struct Case {
    const char* name;
    std::string input;
    std::string body;
};

TEST(HtmlHighlighter, ColoursTokensByKind)
{
    const Case cases[] = {
        {"tags and text", "<b>x</b>", "\\cf7 <\\cf4 b\\cf7 >\\cf8 x\\cf7 <\\cf4 /b\\cf7 >"},
        {"quoted value takes the string colour", "<a href=\"x.htm\">",
            "\\cf7 <\\cf4 a\\cf5  \\cf3 href\\cf7 =\\cf6 \"x.htm\"\\cf7 >"},
        {"unquoted value", "<a b=c d>", "\\cf7 <\\cf4 a\\cf5  \\cf3 b\\cf7 =\\cf10 c\\cf5  \\cf3 d\\cf7 >"},
        {"unknown tag", "<foo>", "\\cf7 <\\cf9 foo\\cf7 >"},
        {"hash above 243 is a plain name", "<abcdefghijklmnopqrstuvwxyz>",
            "\\cf7 <\\cf3 abcdefghijklmnopqrstuvwxyz\\cf7 >"},
        {"headings by case and digit", "<H1><h1><h7>",
            "\\cf7 <\\cf4 H1\\cf7 >\\cf7 <\\cf4 h1\\cf7 >\\cf7 <\\cf9 h7\\cf7 >"},
        {"closing form of an empty element is unknown", "</br></p>", "\\cf7 <\\cf9 /br\\cf7 >\\cf7 <\\cf4 /p\\cf7 >"},
        {"shortest comment", "<!-->x", "\\cf2 <!--\\cf2 >\\cf8 x"},
        {"shortest server script", "<%>x", "\\cf1 <%\\cf1 >\\cf8 x"},
        {"comment over two lines", "<!-- a\r\nb -->c", "\\cf2 <!--\\cf2  a\\par \\cf5 \r\n\\cf2 b -->\\cf8 c"},
        {"server script over two lines", "<% x\ny %>", "\\cf1 <%\\cf1  x\\cf5 \n\\cf1 y %>"},
        {"entity in text", "<p>&lt;x", "\\cf7 <\\cf4 p\\cf7 >\\cf8 \\cf11 &lt;\\cf8 x"},
        {"entity names ignore case", "<p>a&AMP;", "\\cf7 <\\cf4 p\\cf7 >\\cf8 a\\cf11 &AMP;"},
        {"divide has no semicolon", "<p>&divide;", "\\cf7 <\\cf4 p\\cf7 >\\cf8 \\cf11 &divide\\cf8 ;"},
        {"unknown entity is text", "<p>&foo;", "\\cf7 <\\cf4 p\\cf7 >\\cf8 &foo;"},
        {"ampersand inside a tag ends it as text", "<a &x>y<i>",
            "\\cf7 <\\cf4 a\\cf5  \\cf5 \\cf8 &x>y\\cf7 <\\cf4 i\\cf7 >"},
        {"leading ampersand", "&amp;", "\\cf11 \\cf8 \\cf11 &amp;"},
        {"before the first tag words are names", "x=\"y\" \"z\"", "\\cf3 x\\cf7 =\\cf6 \"y\"\\cf5  \\cf6 \"z\""},
        {"script comment line", "<p>\r\n  // note\r\n",
            "\\cf7 <\\cf4 p\\cf7 >\\par \\cf5 \r\n\\cf2   // note\\par \\cf5 \r\n"},
        {"unterminated value ends at the line", "<a b=\"x\r\nc>",
            "\\cf7 <\\cf4 a\\cf5  \\cf3 b\\cf7 =\\cf6 \"x\\par \\cf5 \r\n\\cf3 c\\cf7 >"},
        {"tabs and blanks", "<a \t b>", "\\cf7 <\\cf4 a\\cf5  \\cf5 \t \\cf3 b\\cf7 >"},
        {"braces in text", "<p>{\\}", "\\cf7 <\\cf4 p\\cf7 >\\cf8 \\{\\\\\\}"},
        {"lone line feed joins lines", "a\nb", "\\cf3 a\\cf5 \n\\cf3 b"},
        {"text after a NUL is kept", std::string("<p>a\0b", 6), "\\cf7 <\\cf4 p\\cf7 >\\cf8 a\\cf5 \\'00\\cf8 b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BodyOf<THighlightHTML>(c.input), c.body) << c.name;
}

// The known names, written out here rather than taken from the highlighter's
// own tables, so that a name missing from or added to those tables shows.
const std::vector<std::string> kOpeningTagNames = {
    "!DOCTYPE",
    "A",
    "ABBR",
    "ACRONYM",
    "ADDRESS",
    "APPLET",
    "AREA",
    "B",
    "BASE",
    "BASEFONT",
    "BGSOUND",
    "BIG",
    "BLINK",
    "BLOCKQUOTE",
    "BODY",
    "BR",
    "BUTTON",
    "CAPTION",
    "CENTER",
    "CITE",
    "CODE",
    "COL",
    "COLGROUP",
    "COMMENT",
    "DD",
    "DEL",
    "DFN",
    "DIR",
    "DIV",
    "DL",
    "DT",
    "EM",
    "EMBED",
    "FIELDSET",
    "FONT",
    "FORM",
    "FRAME",
    "FRAMESET",
    "H1",
    "H2",
    "H3",
    "H4",
    "H5",
    "H6",
    "HEAD",
    "HR",
    "HTML",
    "I",
    "IFRAME",
    "ILAYER",
    "IMG",
    "INPUT",
    "INS",
    "ISINDEX",
    "KBD",
    "KEYGEN",
    "LABEL",
    "LAYER",
    "LEGEND",
    "LI",
    "LINK",
    "LISTING",
    "MAP",
    "MARQUEE",
    "MENU",
    "META",
    "MULTICOL",
    "NEXTID",
    "NOBR",
    "NOEMBED",
    "NOFRAMES",
    "NOLAYER",
    "NOSCRIPT",
    "OBJECT",
    "OL",
    "OPTION",
    "P",
    "PARAM",
    "PLAINTEXT",
    "PRE",
    "Q",
    "S",
    "SAMP",
    "SCRIPT",
    "SELECT",
    "SERVER",
    "SMALL",
    "SPACER",
    "SPAN",
    "STRIKE",
    "STRONG",
    "STYLE",
    "SUB",
    "SUP",
    "TABLE",
    "TBODY",
    "TD",
    "TEXTAREA",
    "TFOOT",
    "TH",
    "THEAD",
    "TITLE",
    "TR",
    "TT",
    "U",
    "UL",
    "VAR",
    "WBR",
    "XMP",
};
// Empty elements have no closing name.
const std::set<std::string> kWithoutClosingName = {
    "!DOCTYPE",
    "AREA",
    "BASE",
    "BASEFONT",
    "BGSOUND",
    "BR",
    "COL",
    "FRAME",
    "HR",
    "IMG",
    "INPUT",
    "ISINDEX",
    "KEYGEN",
    "LINK",
    "META",
    "NEXTID",
    "PARAM",
    "PLAINTEXT",
    "SPACER",
    "WBR",
};
const std::vector<std::string> kEntitiesInSearchOrder = {
    "&amp;",
    "&lt;",
    "&gt;",
    "&quot;",
    "&trade;",
    "&nbsp;",
    "&copy;",
    "&reg;",
    "&Agrave;",
    "&Aacute;",
    "&Acirc;",
    "&Atilde;",
    "&Auml;",
    "&Aring;",
    "&AElig;",
    "&Ccedil;",
    "&Egrave;",
    "&Eacute;",
    "&Ecirc;",
    "&Euml;",
    "&Igrave;",
    "&Iacute;",
    "&Icirc;",
    "&Iuml;",
    "&ETH;",
    "&Ntilde;",
    "&Ograve;",
    "&Oacute;",
    "&Ocirc;",
    "&Otilde;",
    "&Ouml;",
    "&Oslash;",
    "&Ugrave;",
    "&Uacute;",
    "&Ucirc;",
    "&Uuml;",
    "&Yacute;",
    "&THORN;",
    "&szlig;",
    "&agrave;",
    "&aacute;",
    "&acirc;",
    "&atilde;",
    "&auml;",
    "&aring;",
    "&aelig;",
    "&ccedil;",
    "&egrave;",
    "&eacute;",
    "&ecirc;",
    "&euml;",
    "&igrave;",
    "&iacute;",
    "&icirc;",
    "&iuml;",
    "&eth;",
    "&ntilde;",
    "&ograve;",
    "&oacute;",
    "&ocirc;",
    "&otilde;",
    "&ouml;",
    "&oslash;",
    "&ugrave;",
    "&uacute;",
    "&ucirc;",
    "&uuml;",
    "&yacute;",
    "&thorn;",
    "&yuml;",
    "&iexcl;",
    "&cent;",
    "&pound;",
    "&curren;",
    "&yen;",
    "&brvbar;",
    "&sect;",
    "&uml;",
    "&ordf;",
    "&laquo;",
    "&shy;",
    "&macr;",
    "&deg;",
    "&plusmn;",
    "&sup2;",
    "&sup3;",
    "&acute;",
    "&micro;",
    "&middot;",
    "&cedil;",
    "&sup1;",
    "&ordm;",
    "&raquo;",
    "&frac14;",
    "&frac12;",
    "&frac34;",
    "&iquest;",
    "&times;",
    "&divide",
    "&euro;",
    "&#9;",
    "&#127;",
    "&#128;",
    "&#129;",
    "&#130;",
    "&#131;",
    "&#132;",
    "&ldots;",
    "&#134;",
    "&#135;",
    "&#136;",
    "&#137;",
    "&#138;",
    "&#139;",
    "&#140;",
    "&#141;",
    "&#142;",
    "&#143;",
    "&#144;",
    "&#152;",
    "&#153;",
    "&#154;",
    "&#155;",
    "&#156;",
    "&#157;",
    "&#158;",
    "&#159;",
    "&#161;",
    "&#162;",
    "&#163;",
    "&#164;",
    "&#165;",
    "&#166;",
    "&#167;",
    "&#168;",
    "&#170;",
    "&#175;",
    "&#176;",
    "&#177;",
    "&#178;",
    "&#180;",
    "&#181;",
    "&#183;",
    "&#184;",
    "&#185;",
    "&#186;",
    "&#188;",
    "&#189;",
    "&#190;",
    "&#191;",
    "&#215;",
};

std::vector<std::string> KnownTagNames()
{
    std::vector<std::string> names = kOpeningTagNames;
    for (const std::string& name : kOpeningTagNames)
        if (!kWithoutClosingName.count(name))
            names.push_back("/" + name);
    return names;
}

TEST(HtmlHighlighter, KnowsExactlyTheListedTagNames)
{
    const std::vector<std::string> listed = KnownTagNames();
    ASSERT_EQ(listed.size(), 198u);
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()),
        std::set<std::string>(HtmlTagNames.begin(), HtmlTagNames.end()));
}

TEST(HtmlHighlighter, EveryKnownTagNameInEitherCase)
{
    for (const std::string& name : KnownTagNames()) {
        for (bool upper : {true, false}) {
            std::string text = "<";
            for (char ch : name)
                text += upper ? ch : static_cast<char>(std::tolower(ch));
            THighlightHTML h;
            h.SetText(text);
            h.NextToken();
            EXPECT_EQ(h.TokenText(), text.substr(1));
            EXPECT_EQ(h.TokenKind(), hkTag) << text;
        }
    }
}

TEST(HtmlHighlighter, EntitiesAreSearchedInTheListedOrder)
{
    ASSERT_EQ(kEntitiesInSearchOrder.size(), 151u);
    ASSERT_EQ(HtmlEntities.size(), kEntitiesInSearchOrder.size());
    for (std::size_t i = 0; i < HtmlEntities.size(); ++i)
        EXPECT_EQ(HtmlEntities[i], kEntitiesInSearchOrder[i]) << "entry " << i;
}

TEST(HtmlHighlighter, EveryEntityIsOneToken)
{
    for (const std::string& entity : kEntitiesInSearchOrder) {
        const std::string text = ">" + entity;
        THighlightHTML h;
        h.SetText(text);
        while (!h.AtEnd() && h.TokenKind() != hkEntity)
            h.NextToken();
        EXPECT_EQ(h.TokenKind(), hkEntity) << entity;
        // A name may be found under an earlier entry of the same spelling in another case.
        EXPECT_EQ(h.TokenText().size(), entity.size()) << entity;
    }
}

} // namespace
