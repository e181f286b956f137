#pragma once
// The highlighters' token loop and the per-token helpers it calls, inline so
// that a language's loop compiles into one pass without calls per token.
// Included by the highlighter sources only.

#include <array>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

#include "editor/HighlightRichSyntax.h"

namespace highlight_detail {

constexpr std::size_t kStreamChunk = 256 * 1024;

// Bytes that EscapeMarkup has to rewrite: NUL, "\", "{", "}" and non-ASCII.
constexpr std::array<bool, 256> MakeEscapeBytes() {
  std::array<bool, 256> t{};
  t[0] = t['\\'] = t['{'] = t['}'] = true;
  for (int c = 128; c < 256; ++c) t[c] = true;
  return t;
}
inline constexpr auto kEscapeBytes = MakeEscapeBytes();

// "\cf<n> " for the colour indices in use, padded to a fixed width so that
// writing one is a single store.
struct ColorWord {
  char text[8];
  std::uint8_t length;
};

constexpr std::array<ColorWord, 100> MakeColorWords() {
  std::array<ColorWord, 100> words{};
  for (int i = 0; i < 100; ++i) {
    ColorWord& w = words[i];
    std::uint8_t n = 0;
    w.text[n++] = '\\';
    w.text[n++] = 'c';
    w.text[n++] = 'f';
    if (i >= 10) w.text[n++] = static_cast<char>('0' + i / 10);
    w.text[n++] = static_cast<char>('0' + i % 10);
    w.text[n++] = ' ';
    w.length = n;
  }
  return words;
}
inline constexpr auto kColorWords = MakeColorWords();

// Appends `s` when none of its bytes needs escaping; otherwise leaves `out`
// unchanged and returns false.
inline bool AppendIfPlain(std::string_view s, TRtfBuffer& out) {
  char* w = out.Reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (kEscapeBytes[static_cast<unsigned char>(s[i])]) return false;
    w[i] = s[i];
  }
  out.Commit(s.size());
  return true;
}

}  // namespace highlight_detail

template <class Self>
void THighlightRichSyntax::WriteTokens(Self& self, TRtfBuffer& out, std::ostream* stream) {
  std::string scratch;
  while (!self.AtEnd()) {
    const std::string_view text = self.TokenText();
    const int color = self.TokenColor();
    const std::string_view token = self.EscapeText(text, scratch);
    // A carriage return, alone or with its line feed, starts a new paragraph.
    if (token == "\r\n" || token == "\r") out.Append("\\par ");
    self.FormatToken(color, token, out);
    if (stream && out.Size() >= highlight_detail::kStreamChunk) Flush(out, *stream);
    self.NextToken();
  }
}

template <class Self>
void THighlightRichSyntax::WriteMarkupTokens(Self& self, TRtfBuffer& out, std::ostream* stream) {
  std::string scratch;
  while (!self.AtEnd()) {
    const std::string_view text = self.TokenText();
    // Escaping leaves line breaks, blanks, "/" and quotes as they are, so the
    // raw token decides the paragraph break and the colour.
    if (text == "\r\n" || text == "\r") out.Append("\\par ");
    AppendColorWord(MarkupColor(self.TokenColor(), text), out);
    if (!highlight_detail::AppendIfPlain(text, out)) out.Append(EscapeMarkupSlow(text, scratch));
    if (stream && out.Size() >= highlight_detail::kStreamChunk) Flush(out, *stream);
    self.NextToken();
  }
}

inline std::string_view THighlightRichSyntax::EscapeMarkup(std::string_view token,
                                                           std::string& scratch) {
  for (char c : token)
    if (highlight_detail::kEscapeBytes[static_cast<unsigned char>(c)])
      return EscapeMarkupSlow(token, scratch);
  return token;
}

inline void THighlightRichSyntax::AppendColorWord(int colorIndex, TRtfBuffer& output) {
  if (colorIndex < 0 || colorIndex >= static_cast<int>(highlight_detail::kColorWords.size())) {
    output.Append("\\cf" + std::to_string(colorIndex) + " ");
    return;
  }
  const highlight_detail::ColorWord& word = highlight_detail::kColorWords[colorIndex];
  std::memcpy(output.Reserve(sizeof word.text), word.text, sizeof word.text);
  output.Commit(word.length);
}

inline int THighlightRichSyntax::MarkupColor(int colorIndex, std::string_view token) {
  int written = colorIndex;
  std::size_t i = 0;
  while (i < token.size() && static_cast<unsigned char>(token[i]) <= 32) ++i;
  if (token.size() - i >= 2 && token[i] == '/' && token[i + 1] == '/') written = 2;
  if (colorIndex == 10 && !token.empty() && token.front() == '"') written = 6;
  return written;
}

inline void THighlightRichSyntax::FormatMarkupToken(int colorIndex, std::string_view token,
                                                    TRtfBuffer& output) {
  AppendColorWord(MarkupColor(colorIndex, token), output);
  output.Append(token);
}
