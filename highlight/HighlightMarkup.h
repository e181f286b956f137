#pragma once
// What the HTML and XML highlighters have in common: the cursor over the
// source, the current token, blank and line-break tokens, runs of text,
// blocks scanned a line at a time, and the markup escaping, formatting and
// default colours. The members are defined in editor/HighlightMarkupScan.h;
// each language instantiates the template once, in its own source.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "highlight/HighlightRichSyntax.h"

// `Kind` is the language's token kind: blanks and line breaks are `kSpace`
// tokens, and a `kEnd` token ends the stream.
template <class Kind, Kind kSpace, Kind kEnd> class THighlightMarkup : public THighlightRichSyntax {
public:
    using THighlightRichSyntax::SetSource;
    using THighlightRichSyntax::SetText;

    std::string_view EscapeText(std::string_view token, std::string& scratch) override;
    void FormatToken(int colorIndex, std::string_view token, TRtfBuffer& output) override;
    bool AtEnd() const override { return FTokenKind == kEnd; }
    std::string_view TokenText() const override { return {FSource + FTokenStart, FPos - FTokenStart}; }
    // The text handed to SetSource.
    std::string_view Source() const { return {FSource, FLength}; }
    // The scan state is not reset: a highlighter scans one text.
    void SetSource(std::string_view text, int lineNumber) override;
    void ResetColors() override;

    Kind TokenKind() const { return FTokenKind; }
    // True for blank and line-break tokens, which hold bytes up to 32 only.
    bool AtBlank() const { return FTokenKind == kSpace; }

    // Default colours, by colour index 1 to 11 (one list for both languages).
    static const std::vector<TColor>& DefaultColors();

protected:
    // Starts with the default colours.
    explicit THighlightMarkup(const TScreenMetrics& screen);

    unsigned char Cur() const { return static_cast<unsigned char>(FSource[FPos]); }
    unsigned char At(std::size_t i) const { return static_cast<unsigned char>(FSource[i]); }
    static constexpr bool IsLineEnd(unsigned char c) { return c == 0 || c == '\n' || c == '\r'; }

    // The token at a character up to 32: a line break ("\r\n" is one) or a run
    // of blanks that a tab or NUL may start but not continue. The NUL after the
    // text ends the stream.
    void ScanBlank();
    // A token of `kind` up to the next control character, "<" or "&". False,
    // with nothing scanned, at a control character or "<".
    bool ScanTextRun(Kind kind);
    // Moves on to the next control character, "<" or "&".
    void SkipText();
    // Moves on to the next byte that is one of `kStops` or, with `kBelowSpace`,
    // under 32; the stops must hold the NUL after the text (see FindStop in
    // editor/HighlightMarkupScan.h).
    template <bool kBelowSpace, char... kStops> void SkipToStop();
    // One line of a block that `closer` ends (a comment, a script, a section):
    // a token of `kind` up to the line end, or up to and including the closer's
    // ">", and then true. At a line end the token is the line break.
    bool ScanBlockLine(Kind kind, std::string_view closer);
    // A run of blanks at a character up to 32 that is no line break and not
    // the NUL after the text (ScanBlank's tokens other than those).
    void ScanSpace();

    const char* FSource = "";
    std::size_t FLength = 0;
    std::size_t FPos = 0;
    std::size_t FTokenStart = 0;
    Kind FTokenKind = kEnd; // nothing to write until SetSource
    int FLineNumber = 0;

private:
    bool ClosedBy(std::string_view closer) const;
};
