// The RTF reader on its own: what each construct gives, what word processors
// write, and that malformed input loads what it can.
#include "RtfDescribe.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

const std::string kColors = R"({\colortbl;\red255\green0\blue0;\red0\green128\blue0;})";

TEST(RtfReader, ReadsEachConstruct)
{
    const struct {
        std::string rtf;
        std::string expected;
    } cases[] = {
        {R"({\rtf1 plain text})", "plain text"},
        {R"({\rtf1 a\b bold\b0  b\i it\i0\ul u\ulnone\strike s\strike0 end})", "a{b:bold} b{i:it}{u:u}{s:s}end"},
        {R"({\rtf1 {\b x}y})", "{b:x}y"},
        {R"({\rtf1 \uldb dbl\ul0 x})", "{u:dbl}x"},
        {"{\\rtf1" + kColors + R"(\cf1 red\cf2 green\cf0 auto\cf9 none})", "{fg=FF0000:red}{fg=008000:green}autonone"},
        {"{\\rtf1" + kColors + R"(\highlight1 on\highlight0 off\cb2 cb})", "{bg=FF0000:on}off{bg=008000:cb}"},
        {R"({\rtf1{\fonttbl{\f0\fmodern\fcharset0 Courier New;}{\f1 Arial;}}\f1\fs20 x\plain y})",
            "{font=Arial fs=20:x}y"},
        {R"({\rtf1{\fonttbl\f0\fswiss Helvetica;\f1\froman Times;}\f1 t})", "{font=Times:t}"},
        {R"({\rtf1 one\par two\line three\tab four})", "one|two\u2028three\tfour"},
        {R"({\rtf1\pard\qc mid\par\pard\qr right\par\qj just\par\pard left})", "mid|cright|rjust|jleft"},
        {R"({\rtf1\qc centred})", "centred$c"},
        {R"({\rtf1 \\ \{ \} \~\_})", "\\ { } \u00A0\u2011"},
        {R"({\rtf1 caf\'e9 \'80 \'93q\'94})", "café € “q”"},
        {R"({\rtf1 caf\u233?x\uc2\u8364??y\uc0\u955 z})", "caféx€yλz"},
        {R"({\rtf1 \u-3913?})", "\uF0B7"},
        {R"({\rtf1 \u55357?\u56832?})", "\U0001F600"},
        {R"({\rtf1 {\uc1\u233\'e9}\'e9})", "éé"},
        {R"({\rtf1\ansicpg1251 \'e0\'e1})", "аб"},
        {R"({\rtf1{\fonttbl{\f0\fcharset204 Arial Cyr;}}\f0 \'e0})", "{font=Arial Cyr:а}"},
        {R"({\rtf1{\fonttbl{\f0\fcharset128 MS Gothic;}}\f0 \'82\'a0})", "{font=MS Gothic:あ}"},
        {R"({\rtf1 a{\*\unknown hidden {nested}}b{\*\generator x;}c})", "abc"},
        {R"({\rtf1 a{\stylesheet{\s0 Normal;}}{\info{\title T}}b{\pict\pngblip 89504e47}c})", "abc"},
        {R"({\rtf1 {\field{\*\fldinst{HYPERLINK "http://a.test/x"}}{\fldrslt{\ul go}}} after})",
            "{u link=http://a.test/x:go} after"},
        {R"({\rtf1 {\field{\*\fldinst HYPERLINK \l "anchor" }{\fldrslt here}}})", "{link=anchor:here}"},
        {R"({\rtf1 {\field{\*\fldinst PAGE }{\fldrslt 7}}})", "7"},
        {R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote})", "—–•‘’“”"},
        {"{\\rtf1 line\r\nbreaks\nignored}", "linebreaksignored"},
        {"{\\rtf1 a\\\nb}", "a|b"},
        {R"({\rtf1 x\bin3 {}\y})", "xy"},
        {R"({\rtf1 a} trailing)", "a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeRtf(c.rtf), c.expected) << c.rtf;
}

TEST(RtfReader, MalformedInputLoadsWhatItCan)
{
    const struct {
        std::string rtf;
        std::string expected;
    } cases[] = {
        {R"({\rtf1 abc{\b def)", "abc{b:def}"},
        {R"({\rtf1 a}}}}b)", "a"},
        {R"({\rtf1 x\)", "x"},
        {R"({\rtf1 x\')", "x"},
        {R"({\rtf1 x\'4)", "x"},
        {R"({\rtf1 x\'zzy)", "xzzy"},
        {R"({\rtf1 x\u)", "x"},
        {R"({\rtf1 \fs99999999999999999999 big})", "{fs=3276:big}"},
        {R"({\rtf1 \cf99999999999999999999 c\u99999999999999999999 d})", "c\uFFFD"},
        {R"({\rtf1 \bin99999999999 lost})", ""},
        {R"({\rtf1 \bin-5 kept})", "kept"},
        {R"({\rtf1{\colortbl\red999\green-4\blue12;}\cf0 c})", "{fg=FF000C:c}"},
        {R"({\rtf1 \)" + std::string(100000, 'a') + " z}", "z"},
        {"{\\rtf1 " + std::string(200000, '{') + "deep" + std::string(200000, '}') + "after}", "deepafter"},
        {"{\\rtf1 " + std::string(100000, '{') + "\\b open", "{b:open}"},
        {std::string("{\\rtf1 nul\0byte}", 15), std::string("nul\0byte", 8)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeRtf(c.rtf), c.expected) << c.rtf.substr(0, 80);
}

TEST(RtfReader, TextWithoutTheMarkIsNotRead)
{
    for (const std::string text : {"", "plain", " {\\rtf1 x}", "{\\rt", "{\\RTF1 x}"}) {
        RtfDescriber describer;
        EXPECT_FALSE(ReadRtf(text, describer)) << text;
        EXPECT_EQ(describer.Description, "") << text;
    }
}

TEST(RtfReader, RunsChangeOnlyWithTheFormat)
{
    RtfDescriber describer;
    ReadRtf(R"({\rtf1{\colortbl;\red1\green2\blue3;}\cf1 a\cf1 b{\cf1 c}\b\b0 d\cf0 e})", describer);
    EXPECT_EQ(describer.Description, "{fg=010203:abcd}e");
    EXPECT_EQ(describer.Runs, 2);
}

TEST(RtfReader, WordProcessorDocument)
{
    std::ifstream file(std::string(ZARN_RICHEDIT_TEST_DATA) + "/richedit_libreoffice.rtf", std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    EXPECT_EQ(DescribeRtf(bytes.str()),
        "{font=Liberation Serif fs=24:Plain words, }{b font=Liberation Serif fs=24:bold words}"
        "{font=Liberation Serif fs=24:, }{i font=Liberation Serif fs=24:italic words}"
        "{font=Liberation Serif fs=24: and }{fg=FF0000 font=Liberation Serif fs=24:red words}"
        "{font=Liberation Serif fs=24:.}|"
        "{bg=FFFF00 font=Liberation Serif fs=24:Centred on yellow}"
        "{font=Liberation Serif fs=24: with a café and €.}|c"
        "{u fg=0000FF font=Liberation Serif fs=24 link=https://example.org/page:a link}"
        "{font=Liberation Serif fs=24: and }{b i u s font=Liberation Serif fs=24:all four}|");
}

} // namespace
