#pragma once
// Writes what the RTF reader delivers as a short readable text, so that test
// tables can state a whole document in one string: a run in the default
// format is its text; another run is "{attributes:text}" with the attributes
// b i u s fg=RRGGBB bg=RRGGBB font=Name fs=N (half points) link=target; a
// paragraph break is "|" followed by c, r or j for a centred, right or
// justified paragraph; the last paragraph's alignment, when not left, ends
// the description as "$c", "$r" or "$j".
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
        for (std::size_t i = 0; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size())
                c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else if (c < 0x800) {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else if (c < 0x10000) {
                out += static_cast<char>(0xE0 | (c >> 12));
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (c >> 18));
                out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
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
