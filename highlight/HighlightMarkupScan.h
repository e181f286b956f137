#pragma once
// Definitions of THighlightMarkup's members, inline so that they compile into
// a language's token loop. Included by the highlighter sources only, each of
// which instantiates THighlightMarkup for its own token kinds.

#include <array>

#include "highlight/HighlightMarkup.h"
#include "highlight/HighlightTokenLoop.h"

namespace highlight_detail {

// The first byte at or after `p` that is one of `kStops` or, with
// `kBelowSpace`, under 32. `end` points at the text's terminating NUL, which
// must be a stop (a NUL in `kStops` or kBelowSpace): the sixteen-byte steps
// read no further than it, and the byte loop after them ends there at last.
template <bool kBelowSpace, char... kStops> inline const char* FindStop(const char* p, const char* end)
{
#if defined(__SSE2__)
    for (; end - p >= 15; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hit = _mm_setzero_si128();
        if constexpr (kBelowSpace)
            hit = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(31)), v);
        ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(kStops)))), ...);
        if (const int mask = _mm_movemask_epi8(hit))
            return p + __builtin_ctz(mask);
    }
#endif
    for (;; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if ((kBelowSpace && c < 32) || ((c == static_cast<unsigned char>(kStops)) || ...))
            return p;
    }
}

} // namespace highlight_detail

template <class Kind, Kind kSpace, Kind kEnd>
THighlightMarkup<Kind, kSpace, kEnd>::THighlightMarkup(const TScreenMetrics& screen) : THighlightRichSyntax(screen)
{
    SetColors(DefaultColors());
}

template <class Kind, Kind kSpace, Kind kEnd>
const std::vector<TColor>& THighlightMarkup<Kind, kSpace, kEnd>::DefaultColors()
{
    static const std::vector<TColor> colors
        = {clGreen, clMaroon, clBlack, clBlue, clBlack, clGreen, clBlue, clBlack, clRed, clBlack, clBlack};
    return colors;
}

template <class Kind, Kind kSpace, Kind kEnd> void THighlightMarkup<Kind, kSpace, kEnd>::ResetColors()
{
    SetColors(DefaultColors());
}

template <class Kind, Kind kSpace, Kind kEnd>
inline std::string_view THighlightMarkup<Kind, kSpace, kEnd>::EscapeText(std::string_view token, std::string& scratch)
{
    return EscapeMarkup(token, scratch);
}

template <class Kind, Kind kSpace, Kind kEnd>
inline void THighlightMarkup<Kind, kSpace, kEnd>::FormatToken(
    int colorIndex, std::string_view token, TRtfBuffer& output)
{
    FormatMarkupToken(colorIndex, token, output);
}

template <class Kind, Kind kSpace, Kind kEnd>
void THighlightMarkup<Kind, kSpace, kEnd>::SetSource(std::string_view text, int lineNumber)
{
    FSource = text.data();
    FLength = text.size();
    FPos = 0;
    FLineNumber = lineNumber;
    NextToken();
}

template <class Kind, Kind kSpace, Kind kEnd> inline void THighlightMarkup<Kind, kSpace, kEnd>::ScanBlank()
{
    switch (Cur()) {
    case 0:
        // A NUL inside the text is a blank; only the one after the text ends it.
        if (FPos >= FLength)
            FTokenKind = kEnd;
        else
            ScanSpace();
        break;
    case '\n':
        FTokenKind = kSpace;
        ++FPos;
        break;
    case '\r':
        FTokenKind = kSpace;
        ++FPos;
        if (Cur() == '\n')
            ++FPos;
        break;
    default:
        ScanSpace();
        break;
    }
}

template <class Kind, Kind kSpace, Kind kEnd> inline void THighlightMarkup<Kind, kSpace, kEnd>::ScanSpace()
{
    ++FPos;
    FTokenKind = kSpace;
    for (unsigned char c = Cur(); c <= 32 && c != 0 && c != '\t' && c != '\n' && c != '\r'; c = Cur())
        ++FPos;
}

template <class Kind, Kind kSpace, Kind kEnd> inline bool THighlightMarkup<Kind, kSpace, kEnd>::ScanTextRun(Kind kind)
{
    if (Cur() < 32 || Cur() == '<')
        return false;
    FTokenKind = kind;
    SkipText();
    return true;
}

template <class Kind, Kind kSpace, Kind kEnd> inline void THighlightMarkup<Kind, kSpace, kEnd>::SkipText()
{
    SkipToStop<true, '<', '&'>();
}

template <class Kind, Kind kSpace, Kind kEnd>
template <bool kBelowSpace, char... kStops>
inline void THighlightMarkup<Kind, kSpace, kEnd>::SkipToStop()
{
    FPos = static_cast<std::size_t>(
        highlight_detail::FindStop<kBelowSpace, kStops...>(FSource + FPos, FSource + FLength) - FSource);
}

template <class Kind, Kind kSpace, Kind kEnd>
inline bool THighlightMarkup<Kind, kSpace, kEnd>::ScanBlockLine(Kind kind, std::string_view closer)
{
    FTokenKind = kind;
    if (IsLineEnd(Cur())) {
        ScanBlank();
        return false;
    }
    for (SkipToStop<false, '\0', '\n', '\r', '>'>(); Cur() == '>'; SkipToStop<false, '\0', '\n', '\r', '>'>()) {
        const bool closed = ClosedBy(closer);
        ++FPos;
        if (closed)
            return true;
    }
    return false;
}

// True when `closer` without its ">" stands just before FPos; it may reach
// back into the tokens before this one.
template <class Kind, Kind kSpace, Kind kEnd>
inline bool THighlightMarkup<Kind, kSpace, kEnd>::ClosedBy(std::string_view closer) const
{
    const std::size_t n = closer.size() - 1;
    if (FPos < n)
        return false;
    for (std::size_t k = 0; k < n; ++k)
        if (At(FPos - n + k) != static_cast<unsigned char>(closer[k]))
            return false;
    return true;
}
