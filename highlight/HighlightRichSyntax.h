#pragma once
// Highlighter framework: turns a token stream into a coloured RTF document.
// Language classes (THighlightHTML, THighlightXML) supply the scanner; this
// base owns the RTF header, font table, colour table, escaping and the writer.
// Text is UTF-8 inside the program; the RTF names code page 1252 and carries
// every non-ASCII character as a \uN? escape, so any RTF reader shows it.

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// A colour in the layout 0x00BBGGRR. A value with the top bit set names a
// system colour whose index is in the low byte.
using TColor = std::int32_t;

constexpr TColor RgbColor(int r, int g, int b) { return r | (g << 8) | (b << 16); }

inline constexpr TColor clBlack = RgbColor(0, 0, 0);
inline constexpr TColor clMaroon = RgbColor(128, 0, 0);
inline constexpr TColor clGreen = RgbColor(0, 128, 0);
inline constexpr TColor clRed = RgbColor(255, 0, 0);
inline constexpr TColor clBlue = RgbColor(0, 0, 255);
inline constexpr TColor clWhite = RgbColor(255, 255, 255);

inline constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clHighlight = clSystemColor | 13;
inline constexpr TColor clHighlightText = clSystemColor | 14;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clGrayText = clSystemColor | 17;

// Character set and pitch-and-family byte of a font as the screen shows it.
struct TFontMetrics {
    std::uint8_t CharSet = 0;
    std::uint8_t PitchAndFamily = 0;
};

// What the display reports about fonts and system colours; the highlighters
// ask it while building their font and colour tables. The caller may supply
// its own (the rich editor asks its toolkit); the defaults give the same
// answers on every machine.
class TScreenMetrics {
public:
    virtual ~TScreenMetrics() = default;

    // Metrics of the named font. Unanswered: a fixed table of common fonts
    // ("Courier New" is charset 0, fixed pitch, modern family); unknown names
    // get charset 0 and the "don't care" family.
    virtual TFontMetrics FontMetrics(const std::string& fontName) const;

    // RGB value (0x00BBGGRR) of the system colour with this index.
    // Unanswered: the classic Windows default scheme; unknown indices give black.
    virtual TColor SystemColor(int index) const;

    static const TScreenMetrics& Default();
};

// Output of the RTF writer: one capacity test and one copy per append,
// grown geometrically.
class TRtfBuffer {
public:
    void Append(std::string_view s)
    {
        std::memcpy(Reserve(s.size()), s.data(), s.size());
        FLength += s.size();
    }
    // Room for `n` more bytes; the caller writes them and then calls Commit.
    char* Reserve(std::size_t n)
    {
        if (FData.size() - FLength < n)
            Grow(n);
        return FData.data() + FLength;
    }
    void Commit(std::size_t n) { FLength += n; }
    // Room left before the buffer has to grow.
    std::size_t Available() const { return FData.size() - FLength; }
    // Commits everything written up to `end` (a pointer into the reserved room).
    void CommitTo(const char* end) { FLength = static_cast<std::size_t>(end - FData.data()); }
    std::size_t Size() const { return FLength; }
    std::string_view View() const { return {FData.data(), FLength}; }
    void Clear() { FLength = 0; }
    // The written text; the buffer is empty afterwards.
    std::string Take();

private:
    void Grow(std::size_t n);

    std::string FData;
    std::size_t FLength = 0;
};

class THighlightRichSyntax {
public:
    // Sets code page 1252, a font table holding "Courier New" and the header
    // strings; the colour table stays empty until SetColors. `screen` must
    // outlive the highlighter.
    explicit THighlightRichSyntax(const TScreenMetrics& screen = TScreenMetrics::Default());
    virtual ~THighlightRichSyntax();
    THighlightRichSyntax(const THighlightRichSyntax&) = delete;
    THighlightRichSyntax& operator=(const THighlightRichSyntax&) = delete;

    // Gives the token made safe for RTF: either `token` itself or a view of
    // `scratch`, into which the escaped form was written. Base: `token`.
    virtual std::string_view EscapeText(std::string_view token, std::string& scratch);
    // Appends the coloured form of an (escaped) token to `output`.
    // Base: "\cf<index> <token>".
    virtual void FormatToken(int colorIndex, std::string_view token, TRtfBuffer& output);

    // Token iteration; the base has no tokens (AtEnd is true).
    virtual void NextToken();
    virtual bool AtEnd() const;
    // Characters of the current token; valid until the next NextToken.
    virtual std::string_view TokenText() const;
    // Index into the colour table: 0 is black, k is the k-th colour given to SetColors.
    virtual int TokenColor() const;

    // One colour-table entry "\redR\greenG\blueB;", system colours resolved.
    virtual std::string ColorToRtf(TColor color) const;

    // Hands over the whole text and scans its first token. The highlighter keeps
    // a reference: `text` must stay alive and unchanged while it is used, and a
    // NUL byte must follow it (as one follows a std::string's characters).
    virtual void SetSource(std::string_view text, int lineNumber);
    void SetSource(const std::string& text, int lineNumber) { SetSource(std::string_view(text), lineNumber); }
    void SetSource(std::string&&, int) = delete;
    // SetSource with line number 1.
    virtual void SetText(const std::string& text);
    void SetText(std::string&&) = delete;

    // Builds the font table, font i being "\f<i>".
    virtual void SetFonts(const std::vector<std::string>& fontNames);
    // Builds the colour table: black first, then `colors` in order.
    virtual void SetColors(const std::vector<TColor>& colors);
    // Restores the language's default colours. Base: does nothing.
    virtual void ResetColors();

    // Writes the whole RTF document, consuming the token stream: a second call
    // without a new SetSource writes an empty body. Stream failures surface as
    // the stream's own state or exceptions.
    virtual void SaveToStream(std::ostream& stream);
    // The same document as a string.
    virtual std::string GetRtf();

    const std::string& RtfHeader() const { return FRtfHeader; }
    const std::string& FontTable() const { return FFontTable; }
    const std::string& ColorTable() const { return FColorTable; }
    int CodePage() const { return FCodePage; }

protected:
    // Writes the tokens, from the current one to the end, through the
    // operations above; a stream gets the output in chunks as it grows.
    // Languages override it to run WriteMarkupTokens on their own (final)
    // type, so that the per-token calls are direct.
    virtual void WriteBody(TRtfBuffer& out, std::ostream* stream);
    // The token loop (defined in editor/HighlightTokenLoop.h).
    template <class Self> static void WriteTokens(Self& self, TRtfBuffer& out, std::ostream* stream);
    // The same loop for a final language class whose EscapeText and FormatToken
    // are EscapeMarkup and FormatMarkupToken, with the same output: it escapes
    // while copying. Self::Source() gives the text that the tokens come from;
    // Self::AtBlank() is true for tokens of bytes up to 32 only.
    template <class Self> static void WriteMarkupTokens(Self& self, TRtfBuffer& out, std::ostream* stream);

    // Markup escaping shared by the languages: "\" "{" "}" get a backslash,
    // non-ASCII UTF-8 becomes \uN? (a surrogate pair above U+FFFF), bytes that
    // are not valid UTF-8 and NUL become \'hh.
    static std::string_view EscapeMarkup(std::string_view token, std::string& scratch);
    // Writes the escaped token at `w`, which has room for kMaxEscapedGrowth
    // times its length plus 8 bytes; gives the end of what was written.
    static char* PutEscapedMarkup(std::string_view token, char* w);
    static constexpr std::size_t kMaxEscapedGrowth = 5;
    // Markup formatting shared by the languages: a token whose trimmed text
    // starts with "//" takes colour 2 (script comment lines); with colour 10 a
    // token starting with a double quote takes colour 6.
    static void FormatMarkupToken(int colorIndex, std::string_view token, TRtfBuffer& output);
    static int MarkupColor(int colorIndex, std::string_view token);
    static void AppendColorWord(int colorIndex, TRtfBuffer& output);
    static void Flush(TRtfBuffer& out, std::ostream& stream);

private:
    void WriteDocument(TRtfBuffer& out, std::ostream* stream);

    std::string FRtfHeader;
    std::string FFontTableEnd;
    std::string FDocumentStart;
    std::string FColorTable;
    std::string FFontTable;
    int FCodePage = 1252;
    const TScreenMetrics& FScreen;
};
