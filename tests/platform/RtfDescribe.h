#pragma once
// Writes what the RTF reader delivers as a short readable text, so that test
// tables can state a whole document in one string: a run in the default
// format is its text; another run is "{attributes:text}" with the attributes
// b i u s fg=RRGGBB bg=RRGGBB font=Name fs=N (half points) link=target; a
// paragraph break is "|" followed by c, r or j for a centred, right or
// justified paragraph; the last paragraph's alignment, when not left, ends
// the description as "$c", "$r" or "$j".
#include "platform/com/Utf8.h"
#include "platform/richedit/RtfReader.h"

#include <cstdio>
#include <string>

class RtfDescriber final : public IRtfSink {
public:
    std::string Description;
    int Runs = 0;

    void Text(std::u16string_view text, const TRtfCharFormat& f, const TRtfTables& tables) override
    {
        ++Runs;
        std::string attributes;
        const auto add = [&](const std::string& a) { attributes += (attributes.empty() ? "" : " ") + a; };
        if (f.Bold)
            add("b");
        if (f.Italic)
            add("i");
        if (f.Underline)
            add("u");
        if (f.StrikeOut)
            add("s");
        if (f.Foreground >= 0 && !tables.Colors[f.Foreground].Automatic)
            add("fg=" + Hex(tables.Colors[f.Foreground]));
        if (f.Background >= 0 && !tables.Colors[f.Background].Automatic)
            add("bg=" + Hex(tables.Colors[f.Background]));
        if (f.Font >= 0)
            add("font=" + tables.Fonts[f.Font].Name);
        if (f.HalfPoints > 0)
            add("fs=" + std::to_string(f.HalfPoints));
        if (f.Link >= 0)
            add("link=" + tables.Links[f.Link]);
        const std::string utf8 = Utf8(text);
        Description += attributes.empty() ? utf8 : "{" + attributes + ":" + utf8 + "}";
    }
    void ParagraphBreak(TRtfAlignment alignment) override { Description += "|" + Letter(alignment); }
    void End(TRtfAlignment alignment) override
    {
        if (alignment != TRtfAlignment::Left)
            Description += "$" + Letter(alignment);
    }

    static std::string Utf8(std::u16string_view text)
    {
        std::string out;
        AppendUtf8(text, out);
        return out;
    }

private:
    static std::string Hex(const TRtfColor& c)
    {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%02X%02X%02X", c.Red, c.Green, c.Blue);
        return buffer;
    }
    static std::string Letter(TRtfAlignment a)
    {
        switch (a) {
        case TRtfAlignment::Center:
            return "c";
        case TRtfAlignment::Right:
            return "r";
        case TRtfAlignment::Justify:
            return "j";
        case TRtfAlignment::Left:
            break;
        }
        return "";
    }
};

inline std::string DescribeRtf(std::string_view rtf)
{
    RtfDescriber describer;
    ReadRtf(rtf, describer);
    return describer.Description;
}
