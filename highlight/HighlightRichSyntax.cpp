#include "highlight/HighlightRichSyntax.h"
#include "highlight/HighlightTokenLoop.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <ostream>
#include <string_view>

namespace {

struct KnownFont {
    const char* name;
    TFontMetrics metrics;
};

// Pitch-and-family bytes: low bits pitch (1 fixed, 2 variable), high bits family.
constexpr KnownFont kKnownFonts[] = {
    {"Courier New", {0, 0x31}},
    {"Courier", {0, 0x31}},
    {"Consolas", {0, 0x31}},
    {"Lucida Console", {0, 0x31}},
    {"DejaVu Sans Mono", {0, 0x31}},
    {"Liberation Mono", {0, 0x31}},
    {"Monospace", {0, 0x31}},
    {"Times New Roman", {0, 0x12}},
    {"Georgia", {0, 0x12}},
    {"DejaVu Serif", {0, 0x12}},
    {"Liberation Serif", {0, 0x12}},
    {"Serif", {0, 0x12}},
    {"Arial", {0, 0x22}},
    {"Verdana", {0, 0x22}},
    {"Tahoma", {0, 0x22}},
    {"Segoe UI", {0, 0x22}},
    {"MS Sans Serif", {0, 0x22}},
    {"DejaVu Sans", {0, 0x22}},
    {"Liberation Sans", {0, 0x22}},
    {"Sans Serif", {0, 0x22}},
    {"Comic Sans MS", {0, 0x42}},
    {"Symbol", {2, 0x12}},
    {"Wingdings", {2, 0x02}},
};

// The classic Windows default scheme, by system colour index.
constexpr std::array<TColor, 31> kSystemColors = {
    RgbColor(200, 200, 200),
    RgbColor(0, 0, 0),
    RgbColor(153, 180, 209),
    RgbColor(191, 205, 219),
    RgbColor(240, 240, 240),
    RgbColor(255, 255, 255),
    RgbColor(100, 100, 100),
    RgbColor(0, 0, 0),
    RgbColor(0, 0, 0),
    RgbColor(0, 0, 0),
    RgbColor(180, 180, 180),
    RgbColor(244, 247, 252),
    RgbColor(171, 171, 171),
    RgbColor(51, 153, 255),
    RgbColor(255, 255, 255),
    RgbColor(240, 240, 240),
    RgbColor(160, 160, 160),
    RgbColor(109, 109, 109),
    RgbColor(0, 0, 0),
    RgbColor(67, 78, 84),
    RgbColor(255, 255, 255),
    RgbColor(105, 105, 105),
    RgbColor(227, 227, 227),
    RgbColor(0, 0, 0),
    RgbColor(255, 255, 225),
    RgbColor(0, 0, 0),
    RgbColor(0, 102, 204),
    RgbColor(185, 209, 234),
    RgbColor(215, 228, 242),
    RgbColor(51, 153, 255),
    RgbColor(240, 240, 240),
};

const char* FamilyWord(std::uint8_t pitchAndFamily)
{
    switch (pitchAndFamily & 0xF0) {
    case 0x00:
        return "fdontcare";
    case 0x20:
        return "fswiss";
    case 0x30:
        return "fmodern";
    case 0x40:
        return "fscript";
    case 0x50:
        return "fdecorative";
    default:
        return "froman";
    }
}

const char* CharsetWord(std::uint8_t charSet)
{
    switch (charSet) {
    case 0:
        return "fcharset0";
    case 1:
        return "fcharset1";
    case 2:
        return "fcharset2";
    case 128:
        return "fcharset128";
    case 255:
        return "fcharset255";
    default:
        return "";
    }
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes one well-formed UTF-8 sequence at s[i] (s[i] >= 0x80). Returns its
// length, or 0 when the bytes are not a valid sequence.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp)
{
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const std::size_t left = s.size() - i;
    const unsigned char c = b(0);
    if (c >= 0xC2 && c <= 0xDF) {
        if (left < 2 || !IsContinuation(b(1)))
            return 0;
        cp = (char32_t(c & 0x1F) << 6) | (b(1) & 0x3F);
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        if (left < 3 || !IsContinuation(b(1)) || !IsContinuation(b(2)))
            return 0;
        if ((c == 0xE0 && b(1) < 0xA0) || (c == 0xED && b(1) > 0x9F))
            return 0;
        cp = (char32_t(c & 0x0F) << 12) | (char32_t(b(1) & 0x3F) << 6) | (b(2) & 0x3F);
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (left < 4 || !IsContinuation(b(1)) || !IsContinuation(b(2)) || !IsContinuation(b(3)))
            return 0;
        if ((c == 0xF0 && b(1) < 0x90) || (c == 0xF4 && b(1) > 0x8F))
            return 0;
        cp = (char32_t(c & 0x07) << 18) | (char32_t(b(1) & 0x3F) << 12) | (char32_t(b(2) & 0x3F) << 6) | (b(3) & 0x3F);
        return 4;
    }
    return 0;
}

// "\uN?" with N the signed 16-bit value of the UTF-16 unit.
char* PutUnicodeEscape(char16_t unit, char* w)
{
    *w++ = '\\';
    *w++ = 'u';
    w = std::to_chars(w, w + 6, static_cast<std::int16_t>(unit)).ptr;
    *w++ = '?';
    return w;
}

char* PutHexEscape(unsigned char c, char* w)
{
    static constexpr char kHex[] = "0123456789abcdef";
    *w++ = '\\';
    *w++ = '\'';
    *w++ = kHex[c >> 4];
    *w++ = kHex[c & 15];
    return w;
}

// Font names compared as the system compares them: ASCII letters without
// regard to case.
bool sameFontName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

TFontMetrics TScreenMetrics::FontMetrics(const std::string& fontName) const
{
    for (const KnownFont& f : kKnownFonts)
        if (sameFontName(f.name, fontName))
            return f.metrics;
    return {};
}

TColor TScreenMetrics::SystemColor(int index) const
{
    if (index < 0 || index >= static_cast<int>(kSystemColors.size()))
        return clBlack;
    return kSystemColors[index];
}

const TScreenMetrics& TScreenMetrics::Default()
{
    static const TScreenMetrics screen;
    return screen;
}

THighlightRichSyntax::THighlightRichSyntax(const TScreenMetrics& screen) : FScreen(screen)
{
    FCodePage = 1252;
    SetFonts({"Courier New"});
    FRtfHeader = "{\\rtf1\\ansi\\ansicpg" + std::to_string(FCodePage) + "\\deff0\\deftab720{\\fonttbl";
    FFontTableEnd = "}\r\n";
    FDocumentStart = "\\deflang1033\\pard\\plain\\f0\\fs20";
    FColorTable.clear();
}

THighlightRichSyntax::~THighlightRichSyntax() = default;

std::string_view THighlightRichSyntax::EscapeText(std::string_view token, std::string&) { return token; }

void THighlightRichSyntax::FormatToken(int colorIndex, std::string_view token, TRtfBuffer& output)
{
    AppendColorWord(colorIndex, output);
    output.Append(token);
}

void THighlightRichSyntax::NextToken() {}

bool THighlightRichSyntax::AtEnd() const { return true; }

std::string_view THighlightRichSyntax::TokenText() const { return {}; }

int THighlightRichSyntax::TokenColor() const { return 0; }

std::string THighlightRichSyntax::ColorToRtf(TColor color) const
{
    if (color & clSystemColor)
        color = FScreen.SystemColor(color & 0xFF);
    return "\\red" + std::to_string(color & 0xFF) + "\\green" + std::to_string((color >> 8) & 0xFF) + "\\blue"
        + std::to_string((color >> 16) & 0xFF) + ";";
}

void THighlightRichSyntax::SetSource(std::string_view, int) {}

void THighlightRichSyntax::SetText(const std::string& text) { SetSource(text, 1); }

void THighlightRichSyntax::SetFonts(const std::vector<std::string>& fontNames)
{
    FFontTable.clear();
    for (std::size_t i = 0; i < fontNames.size(); ++i) {
        const TFontMetrics m = FScreen.FontMetrics(fontNames[i]);
        FFontTable += "{\\f" + std::to_string(i) + "\\" + FamilyWord(m.PitchAndFamily) + "\\" + CharsetWord(m.CharSet)
            + " " + fontNames[i] + ";}";
    }
}

void THighlightRichSyntax::SetColors(const std::vector<TColor>& colors)
{
    FColorTable = "{\\colortbl\\red0\\green0\\blue0;";
    for (TColor c : colors)
        FColorTable += ColorToRtf(c);
    FColorTable += "}\r\n";
}

void THighlightRichSyntax::ResetColors() {}

void THighlightRichSyntax::SaveToStream(std::ostream& stream)
{
    TRtfBuffer out;
    WriteDocument(out, &stream);
    Flush(out, stream);
}

std::string THighlightRichSyntax::GetRtf()
{
    TRtfBuffer out;
    WriteDocument(out, nullptr);
    return out.Take();
}

// With a stream, the output is handed on in chunks so that memory stays
// bounded; without one, the buffer grows geometrically.
void THighlightRichSyntax::WriteDocument(TRtfBuffer& out, std::ostream* stream)
{
    out.Append(FRtfHeader);
    out.Append(FFontTable);
    out.Append(FFontTableEnd);
    out.Append(FColorTable);
    out.Append(FDocumentStart);
    out.Append("\\f0 ");
    WriteBody(out, stream);
    out.Append(" }");
}

void THighlightRichSyntax::WriteBody(TRtfBuffer& out, std::ostream* stream) { WriteTokens(*this, out, stream); }

void THighlightRichSyntax::Flush(TRtfBuffer& out, std::ostream& stream)
{
    stream.write(out.View().data(), static_cast<std::streamsize>(out.Size()));
    out.Clear();
}

std::string TRtfBuffer::Take()
{
    FData.resize(FLength);
    FLength = 0;
    return std::move(FData);
}

void TRtfBuffer::Grow(std::size_t n) { FData.resize(std::max({FData.size() * 2, FLength + n, std::size_t{4096}})); }

// At most five output bytes per input byte: a lone byte gives "\'hh", four
// UTF-8 bytes at most a surrogate pair "\u-NNNNN?\u-NNNNN?" and "{}".
char* THighlightRichSyntax::PutEscapedMarkup(std::string_view s, char* w)
{
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        if (!highlight_detail::kEscapeBytes[c]) {
            *w++ = static_cast<char>(c);
            ++i;
            continue;
        }
        if (c == '\\' || c == '{' || c == '}') {
            *w++ = '\\';
            *w++ = static_cast<char>(c);
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t len = c == 0 ? 0 : DecodeUtf8(s, i, cp);
        if (len == 0) {
            w = PutHexEscape(c, w);
            ++i;
            continue;
        }
        if (cp > 0xFFFF) {
            cp -= 0x10000;
            w = PutUnicodeEscape(static_cast<char16_t>(0xD800 + (cp >> 10)), w);
            w = PutUnicodeEscape(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)), w);
        } else {
            w = PutUnicodeEscape(static_cast<char16_t>(cp), w);
        }
        i += len;
        // An empty group ends the escape's word, so readers that take the letters
        // after "\uN?" as part of the skipped fallback still show them.
        if (i < s.size() && !highlight_detail::kEscapeBytes[static_cast<unsigned char>(s[i])]) {
            *w++ = '{';
            *w++ = '}';
        }
    }
    return w;
}
