#pragma once
// The highlighters' token loop and the per-token helpers it calls, inline so
// that a language's loop compiles into one pass without calls per token.
// Included by the highlighter sources only.

#include <array>
#include <cstdint>
#include <ostream>

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

inline std::string_view THighlightRichSyntax::EscapeMarkup(std::string_view token,
                                                           std::string& scratch) {
  for (char c : token)
    if (highlight_detail::kEscapeBytes[static_cast<unsigned char>(c)])
      return EscapeMarkupSlow(token, scratch);
  return token;
}

inline void THighlightRichSyntax::AppendColorWord(int colorIndex, TRtfBuffer& output) {
  if (colorIndex < 0 || colorIndex > 99) {
    output.Append("\\cf" + std::to_string(colorIndex) + " ");
    return;
  }
  char* w = output.Reserve(6);
  std::size_t n = 0;
  w[n++] = '\\';
  w[n++] = 'c';
  w[n++] = 'f';
  if (colorIndex >= 10) w[n++] = static_cast<char>('0' + colorIndex / 10);
  w[n++] = static_cast<char>('0' + colorIndex % 10);
  w[n++] = ' ';
  output.Commit(n);
}

inline void THighlightRichSyntax::FormatMarkupToken(int colorIndex, std::string_view token,
                                                    TRtfBuffer& output) {
  int written = colorIndex;
  std::size_t i = 0;
  while (i < token.size() && static_cast<unsigned char>(token[i]) <= 32) ++i;
  if (token.size() - i >= 2 && token[i] == '/' && token[i + 1] == '/') written = 2;
  if (colorIndex == 10 && !token.empty() && token.front() == '"') written = 6;
  AppendColorWord(written, output);
  output.Append(token);
}
