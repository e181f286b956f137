#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <utility>
#include <vector>

#include "highlight/HighlightHTML.h"
#include "highlight/HighlightXML.h"

namespace {

const std::string kDefaultColorTable
    = "{\\colortbl\\red0\\green0\\blue0;\\red0\\green128\\blue0;\\red128\\green0\\blue0;"
      "\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green0\\blue0;\\red0\\green128\\blue0;"
      "\\red0\\green0\\blue255;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue0;"
      "\\red0\\green0\\blue0;}\r\n";

const std::string kDocumentStart
    = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\r\n"
    + kDefaultColorTable + "\\deflang1033\\pard\\plain\\f0\\fs20\\f0 ";

// A highlighter that plays back a fixed list of tokens through the base writer.
class TScriptedHighlighter : public THighlightRichSyntax {
public:
    explicit TScriptedHighlighter(std::vector<std::pair<std::string, int>> tokens) : FTokens(std::move(tokens)) {}
    void NextToken() override { ++FIndex; }
    bool AtEnd() const override { return FIndex >= FTokens.size(); }
    std::string_view TokenText() const override { return FTokens[FIndex].first; }
    int TokenColor() const override { return FTokens[FIndex].second; }

private:
    std::vector<std::pair<std::string, int>> FTokens;
    std::size_t FIndex = 0;
};

// Answers fixed metrics per font name and paints every system colour one colour.
class TFakeScreen : public TScreenMetrics {
public:
    TFontMetrics FontMetrics(const std::string& name) const override
    {
        if (!std::isdigit(static_cast<unsigned char>(name[0])))
            return TScreenMetrics::FontMetrics(name);
        return {static_cast<std::uint8_t>(std::stoi(name.substr(0, name.find(' ')))),
            static_cast<std::uint8_t>(std::stoi(name.substr(name.find(' ') + 1), nullptr, 16))};
    }
    TColor SystemColor(int index) const override { return index == 15 ? RgbColor(1, 2, 3) : clBlack; }
};

TEST(HighlightDocument, EmptyTextGivesHeaderTablesAndClosingOnly)
{
    THighlightHTML html;
    const std::string text;
    html.SetText(text);
    EXPECT_EQ(html.GetRtf(), kDocumentStart + " }");

    THighlightXML xml;
    xml.SetText(text);
    EXPECT_EQ(xml.GetRtf(), kDocumentStart + " }");
}

TEST(HighlightDocument, CarriageReturnsStartParagraphsLoneLineFeedsDoNot)
{
    TScriptedHighlighter h({{"a", 1}, {"\r\n", 5}, {"b", 1}, {"\n", 5}, {"c", 1}, {"\r", 5}, {"{", 3}});
    const std::string rtf = h.GetRtf();
    // The base writes tokens as they are; escaping belongs to the languages.
    EXPECT_EQ(
        rtf.substr(rtf.find("\\f0 \\cf")), "\\f0 \\cf1 a\\par \\cf5 \r\n\\cf1 b\\cf5 \n\\cf1 c\\par \\cf5 \r\\cf3 { }");
}

TEST(HighlightDocument, StreamAndStringGiveTheSameDocumentOnce)
{
    const std::string text = "<p class=\"x\">a &amp; b</p>\r\n<!-- c -->";
    THighlightHTML a, b;
    a.SetText(text);
    b.SetText(text);
    std::ostringstream stream;
    a.SaveToStream(stream);
    EXPECT_EQ(stream.str(), b.GetRtf());
    // The token stream is consumed: a second run writes an empty body.
    EXPECT_EQ(a.GetRtf(), kDocumentStart + " }");
}

TEST(HighlightDocument, LargeDocumentStreamsInChunksUnchanged)
{
    std::string text;
    for (int i = 0; i < 40000; ++i)
        text += "<td class=\"c\">caf\xC3\xA9 &amp; {x}</td>\r\n";
    THighlightHTML a, b;
    a.SetText(text);
    b.SetText(text);
    std::ostringstream stream;
    a.SaveToStream(stream);
    EXPECT_GT(stream.str().size(), 1u << 20);
    EXPECT_EQ(stream.str(), b.GetRtf());
}

TEST(HighlightColors, TableEntriesAndSystemColours)
{
    THighlightHTML h;
    EXPECT_EQ(h.ColorTable(), kDefaultColorTable);
    EXPECT_EQ(h.ColorToRtf(clGreen), "\\red0\\green128\\blue0;");
    EXPECT_EQ(h.ColorToRtf(RgbColor(255, 7, 200)), "\\red255\\green7\\blue200;");
    EXPECT_EQ(h.ColorToRtf(clWindow), "\\red255\\green255\\blue255;");
    h.SetColors({});
    EXPECT_EQ(h.ColorTable(), "{\\colortbl\\red0\\green0\\blue0;}\r\n");
    h.ResetColors();
    EXPECT_EQ(h.ColorTable(), kDefaultColorTable);

    TFakeScreen screen;
    THighlightXML x(screen);
    EXPECT_EQ(x.ColorToRtf(clBtnFace), "\\red1\\green2\\blue3;");
}

TEST(HighlightFonts, FamilyAndCharsetWordsFromTheScreenMetrics)
{
    TFakeScreen screen;
    THighlightHTML h(screen);
    h.SetFonts({"0 00", "1 1F", "2 22", "128 31", "255 42", "77 50", "0 60"});
    EXPECT_EQ(h.FontTable(),
        "{\\f0\\fdontcare\\fcharset0 0 00;}{\\f1\\froman\\fcharset1 1 1F;}"
        "{\\f2\\fswiss\\fcharset2 2 22;}{\\f3\\fmodern\\fcharset128 128 31;}"
        "{\\f4\\fscript\\fcharset255 255 42;}{\\f5\\fdecorative\\ 77 50;}"
        "{\\f6\\froman\\fcharset0 0 60;}");
}

TEST(HighlightFonts, DefaultFontEntryIsTheSameEverywhere)
{
    THighlightXML h;
    EXPECT_EQ(h.FontTable(), "{\\f0\\fmodern\\fcharset0 Courier New;}");
    EXPECT_EQ(h.CodePage(), 1252);
    h.SetFonts({"Arial", "No Such Font"});
    EXPECT_EQ(h.FontTable(), "{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fdontcare\\fcharset0 No Such Font;}");
}

// Escaping is shared by both languages; XML text shows it with colour 10.
TEST(HighlightEscaping, BracesBackslashesAndNonAsciiText)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{a}\\", "\\cf10 \\{a\\}\\\\"},
        {"caf\xC3\xA9", "\\cf10 caf\\u233?"},
        {"\xC3\xA9"
         "1",
            "\\cf10 \\u233?{}1"},
        {"\xE2\x82\xAC\xC3\xA9", "\\cf10 \\u8364?\\u233?"},
        {"\xEF\xBF\xBD", "\\cf10 \\u-3?"},
        {"\xF0\x9F\x98\x80", "\\cf10 \\u-10179?\\u-8704?"},
        {"a\xFF"
         "b",
            "\\cf10 a\\'ffb"},
        {"\xC0\xAF", "\\cf10 \\'c0\\'af"},
        {"\xED\xA0\x80", "\\cf10 \\'ed\\'a0\\'80"},
        {"x\xC3", "\\cf10 x\\'c3"},
        {std::string("a\0b", 3), "\\cf10 a\\cf10 \\'00\\cf10 b"},
    };
    for (const auto& [input, body] : cases) {
        THighlightXML h;
        h.SetText(input);
        const std::string rtf = h.GetRtf();
        EXPECT_EQ(rtf, kDocumentStart + body + " }") << "input: " << input;
    }
}

} // namespace
