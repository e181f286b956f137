#pragma once
// The highlighters' token loop and the per-token helpers it calls, inline so
// that a language's loop compiles into one pass without calls per token.
// Included by the highlighter sources only.

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "highlight/HighlightRichSyntax.h"

namespace highlight_detail {

constexpr std::size_t kStreamChunk = 256 * 1024;

// Bytes that EscapeMarkup has to rewrite: NUL, "\", "{", "}" and non-ASCII.
constexpr std::array<bool, 256> MakeEscapeBytes()
{
    std::array<bool, 256> t{};
    t[0] = t['\\'] = t['{'] = t['}'] = true;
    for (int c = 128; c < 256; ++c)
        t[c] = true;
    return t;
}
inline constexpr auto kEscapeBytes = MakeEscapeBytes();

// Bytes that start every token whose colour MarkupColor changes: blanks,
// "/" and the double quote.
constexpr std::array<bool, 256> MakeMarkupColorStarts()
{
    std::array<bool, 256> t{};
    for (int c = 0; c <= 32; ++c)
        t[c] = true;
    t['/'] = t['"'] = true;
    return t;
}
inline constexpr auto kMarkupColorStarts = MakeMarkupColorStarts();

// "\cf<n> " for the colour indices in use, padded to a fixed width so that
// writing one is a single store.
struct ColorWord {
    char text[8];
    std::uint8_t length;
};

constexpr std::array<ColorWord, 100> MakeColorWords()
{
    std::array<ColorWord, 100> words{};
    for (int i = 0; i < 100; ++i) {
        ColorWord& w = words[i];
        std::uint8_t n = 0;
        w.text[n++] = '\\';
        w.text[n++] = 'c';
        w.text[n++] = 'f';
        if (i >= 10)
            w.text[n++] = static_cast<char>('0' + i / 10);
        w.text[n++] = static_cast<char>('0' + i % 10);
        w.text[n++] = ' ';
        w.length = n;
    }
    return words;
}
inline constexpr auto kColorWords = MakeColorWords();
inline constexpr std::size_t kMaxColorWord = 16; // "\cf-2147483648 "

// Writes "\cf<index> " at `w` (room for kMaxColorWord bytes); gives its end.
inline char* PutColorWord(int index, char* w)
{
    if (index >= 0 && index < static_cast<int>(kColorWords.size())) {
        std::memcpy(w, kColorWords[index].text, sizeof(ColorWord::text));
        return w + kColorWords[index].length;
    }
    std::memcpy(w, "\\cf", 3);
    w = std::to_chars(w + 3, w + kMaxColorWord - 1, index).ptr;
    *w++ = ' ';
    return w;
}

// True when one of the eight bytes in `x` needs escaping.
inline bool HasEscapeByte(std::uint64_t x)
{
    constexpr std::uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const auto hasZero = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
    return (x & highs) || hasZero(x) || hasZero(x ^ (ones * '\\')) || hasZero(x ^ (ones * '{'))
        || hasZero(x ^ (ones * '}'));
}

// The first byte in [p, end) that needs escaping, or `end`.
inline const char* FindEscapeByte(const char* p, const char* end)
{
#if defined(__SSE2__)
    const __m128i backslash = _mm_set1_epi8('\\'), open = _mm_set1_epi8('{'), close = _mm_set1_epi8('}'),
                  nul = _mm_setzero_si128();
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, backslash), _mm_cmpeq_epi8(v, open)),
            _mm_or_si128(_mm_cmpeq_epi8(v, close), _mm_cmpeq_epi8(v, nul)));
        // movemask of the bytes themselves marks the non-ASCII ones.
        if (const int mask = _mm_movemask_epi8(hit) | _mm_movemask_epi8(v))
            return p + __builtin_ctz(mask);
    }
#endif
    for (; end - p >= 8; p += 8) {
        std::uint64_t x;
        std::memcpy(&x, p, 8);
        if (HasEscapeByte(x))
            break;
    }
    for (; p < end; ++p)
        if (kEscapeBytes[static_cast<unsigned char>(*p)])
            return p;
    return end;
}

} // namespace highlight_detail

template <class Self> void THighlightRichSyntax::WriteTokens(Self& self, TRtfBuffer& out, std::ostream* stream)
{
    std::string scratch;
    while (!self.AtEnd()) {
        const std::string_view text = self.TokenText();
        const int color = self.TokenColor();
        const std::string_view token = self.EscapeText(text, scratch);
        // A carriage return, alone or with its line feed, starts a new paragraph.
        if (token == "\r\n" || token == "\r")
            out.Append("\\par ");
        self.FormatToken(color, token, out);
        if (stream && out.Size() >= highlight_detail::kStreamChunk)
            Flush(out, *stream);
        self.NextToken();
    }
}

// Tokens follow each other through the source, so one forward search for
// bytes that need escaping serves them all: a token ending before the next
// such byte is copied as it is. The write position lives in locals and is
// committed to `out` only when the buffer grows or is flushed, so that the
// byte stores do not force the buffer's fields to be reloaded. A stream gets
// the buffer whenever its room runs out, which spares a check per token.
template <class Self>
#if defined(__GNUC__)
[[gnu::flatten]]  // the scanner's routines are inlined into the loop
#endif
void THighlightRichSyntax::WriteMarkupTokens(Self& self, TRtfBuffer& out, std::ostream* stream)
{
    using namespace highlight_detail;
    const std::string_view source = self.Source();
    const char* const sourceEnd = source.data() + source.size();
    const char* nextEscape = source.data();
    char* w = nullptr; // write position
    char* limit = nullptr; // end of the reserved room
    const auto reserve = [&](std::size_t n) {
        w = out.Reserve(n);
        limit = w + out.Available();
    };
    const auto room = [&](std::size_t n) {
        if (static_cast<std::size_t>(limit - w) < n) {
            out.CommitTo(w);
            if (stream)
                Flush(out, *stream);
            reserve(n);
        }
    };
    reserve(stream ? kStreamChunk : 0);
    while (!self.AtEnd()) {
        const std::string_view text = self.TokenText();
        const char* const tokenEnd = text.data() + text.size();
        if (nextEscape < text.data())
            nextEscape = FindEscapeByte(text.data(), sourceEnd);
        // "\par ", the colour word and the token with a copy's overrun.
        room(5 + kMaxColorWord + text.size() + 16);
        // Escaping leaves line breaks, blanks, "/" and quotes as they are, so the
        // raw token decides the paragraph break and the colour. An empty token
        // looks at the byte after it, which is in the source, and is rejected by
        // the comparisons. Blank tokens keep their colour: they hold no "//".
        const auto first = static_cast<unsigned char>(*text.data());
        if (first == '\r' && (text == "\r\n" || text == "\r")) {
            std::memcpy(w, "\\par ", 5);
            w += 5;
        }
        int color = self.TokenColor();
        if (kMarkupColorStarts[first] && !self.AtBlank())
            color = MarkupColor(color, text);
        w = PutColorWord(color, w);
        if (tokenEnd <= nextEscape) {
            // The source is readable up to its terminating NUL.
            if (text.size() <= 16 && sourceEnd - text.data() >= 15)
                std::memcpy(w, text.data(), 16);
            else
                std::memcpy(w, text.data(), text.size());
            w += text.size();
        } else {
            room(kMaxEscapedGrowth * text.size() + 8);
            w = PutEscapedMarkup(text, w);
            nextEscape = FindEscapeByte(tokenEnd, sourceEnd);
        }
        self.NextToken();
    }
    out.CommitTo(w);
}

inline std::string_view THighlightRichSyntax::EscapeMarkup(std::string_view token, std::string& scratch)
{
    for (char c : token)
        if (highlight_detail::kEscapeBytes[static_cast<unsigned char>(c)]) {
            scratch.resize(kMaxEscapedGrowth * token.size() + 8);
            scratch.resize(PutEscapedMarkup(token, scratch.data()) - scratch.data());
            return scratch;
        }
    return token;
}

inline void THighlightRichSyntax::AppendColorWord(int colorIndex, TRtfBuffer& output)
{
    char* const start = output.Reserve(highlight_detail::kMaxColorWord);
    output.Commit(highlight_detail::PutColorWord(colorIndex, start) - start);
}

inline int THighlightRichSyntax::MarkupColor(int colorIndex, std::string_view token)
{
    if (token.empty())
        return colorIndex;
    const auto first = static_cast<unsigned char>(token.front());
    if (colorIndex == 10 && first == '"')
        return 6;
    if (first > 32 && first != '/')
        return colorIndex;
    std::size_t i = 0;
    while (i < token.size() && static_cast<unsigned char>(token[i]) <= 32)
        ++i;
    return token.size() - i >= 2 && token[i] == '/' && token[i + 1] == '/' ? 2 : colorIndex;
}

inline void THighlightRichSyntax::FormatMarkupToken(int colorIndex, std::string_view token, TRtfBuffer& output)
{
    AppendColorWord(MarkupColor(colorIndex, token), output);
    output.Append(token);
}
