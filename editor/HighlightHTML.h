#pragma once
// HTML source colouring: a state machine over a per-character routine table,
// a hashed table of known tag names and a list of character entities.

#include <array>
#include <cstdint>
#include <string_view>

#include "editor/HighlightRichSyntax.h"

enum THtmlTokenKind : std::uint8_t {
  hkEntity,
  hkServerScript,
  hkComment,
  hkName,
  hkTag,
  hkEnd,
  hkSpace,
  hkString,
  hkSymbol,
  hkText,
  hkUnknownTag,
  hkValue,
};

enum THtmlScanState : std::uint8_t {
  hsEntity = 0,        // initial; or an entity found in text is the next token
  hsServerScript = 1,  // inside "<%" ... "%>"
  hsComment = 2,       // inside "<!--" ... "-->"
  hsTagName = 3,       // after "<"
  hsInTag = 4,         // inside a tag after its name
  hsText = 5,          // between tags
  hsValue = 7,         // after "=" inside a tag
};

// The 151 entity names, in search order (first match wins).
extern const std::array<std::string_view, 151> HtmlEntities;
// The 198 known tag names (opening, then closing forms).
extern const std::array<std::string_view, 198> HtmlTagNames;

// Colour indices: 1 server script, 2 comment, 3 name, 4 tag, 5 blank,
// 6 string, 7 symbol, 8 text, 9 unknown tag, 10 value, 11 entity.
class THighlightHTML final : public THighlightRichSyntax {
 public:
  explicit THighlightHTML(const TScreenMetrics& screen = TScreenMetrics::Default());

  using THighlightRichSyntax::SetSource;
  using THighlightRichSyntax::SetText;

  std::string_view EscapeText(std::string_view token, std::string& scratch) override;
  void FormatToken(int colorIndex, std::string_view token, TRtfBuffer& output) override;
  void NextToken() override;
  bool AtEnd() const override;
  std::string_view TokenText() const override;
  // The text handed to SetSource.
  std::string_view Source() const { return {FSource, FLength}; }
  int TokenColor() const override;
  // The scan state is not reset: a highlighter scans one text.
  void SetSource(const std::string& text, int lineNumber) override;
  void ResetColors() override;

  THtmlTokenKind TokenKind() const { return FTokenKind; }
  THtmlScanState State() const { return FState; }

  // Default colours, by colour index 1 to 11.
  static const std::vector<TColor>& DefaultColors();

 protected:
  void WriteBody(TRtfBuffer& out, std::ostream* stream) override;

 private:
  unsigned char Cur() const { return static_cast<unsigned char>(FSource[FPos]); }
  unsigned char At(std::size_t i) const { return static_cast<unsigned char>(FSource[i]); }
  void ScanByChar();
  void ScanNull();
  void ScanSpace();
  void ScanLF();
  void ScanCR();
  void ScanEquals();
  void ScanTagClose();
  void ScanTagOpen();
  void ScanString();
  void ScanEntity();
  void ScanWord();
  void ScanText();
  void ScanBlock(THtmlTokenKind kind, bool (THighlightHTML::*isEnd)() const);
  bool AtCommentEnd() const;
  bool AtServerScriptEnd() const;
  THtmlTokenKind KeywordKind();
  int FindEntity() const;

  int FEntityIndex = -1;
  THtmlScanState FState = hsEntity;
  const char* FSource = "";
  std::size_t FLength = 0;
  std::size_t FPos = 0;
  std::size_t FKeyLength = 0;
  std::size_t FTokenStart = 0;
  THtmlTokenKind FTokenKind = hkEnd;  // nothing to write until SetSource
  int FLineNumber = 0;
};
