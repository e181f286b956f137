#pragma once
// XML source colouring: elements, attributes and their quoted values,
// namespace declarations, entity references, comments, processing
// instructions, CDATA sections and DOCTYPE declarations.

#include <cstdint>
#include <string_view>

#include "editor/HighlightRichSyntax.h"

enum TXmlTokenKind : std::uint8_t {
  xkEnd,
  xkElement,
  xkAttribute,
  xkText,
  xkCData,
  xkEntity,
  xkInstruction,
  xkComment,
  xkQuotedValue,
  xkApostropheValue,
  xkQuotedEntity,
  xkApostropheEntity,
  xkSymbol,
  xkSpace,
  xkEquals,
  xkNamespace,
  xkNsQuotedValue,
  xkNsApostropheValue,
  xkNsQuotedEntity,
  xkNsApostropheEntity,
  xkNsEquals,
  xkDocType,
};

enum TXmlScanState : std::uint8_t {
  xsElement,             // after "<" or "</"
  xsEquals,              // after an attribute name
  xsAttribute,           // inside a tag
  xsQuotedValue,
  xsApostropheValue,
  xsQuotedEntity,
  xsApostropheEntity,
  xsText,                // between tags (initial)
  xsCData,
  xsEntity,              // at an entity reference in text
  xsInstruction,
  xsComment,
  xsNsEquals,            // the xs* states of a namespace attribute
  xsNsQuotedValue,
  xsNsApostropheValue,
  xsNsQuotedEntity,
  xsNsApostropheEntity,
  xsDocType,
};

class THighlightXML final : public THighlightRichSyntax {
 public:
  explicit THighlightXML(const TScreenMetrics& screen = TScreenMetrics::Default());

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

  TXmlTokenKind TokenKind() const { return FTokenKind; }
  TXmlScanState State() const { return FState; }

  // Default colours, by colour index 1 to 11 (the same list as for HTML).
  static const std::vector<TColor>& DefaultColors();

 protected:
  void WriteBody(TRtfBuffer& out, std::ostream* stream) override;

 private:
  unsigned char Cur() const { return static_cast<unsigned char>(FSource[FPos]); }
  unsigned char At(std::size_t i) const { return static_cast<unsigned char>(FSource[i]); }
  bool MatchesAhead(std::string_view word) const;
  void ScanByChar();
  void ScanNull();
  void ScanSpace();
  void ScanLF();
  void ScanCR();
  void ScanTagOpen();
  void ScanTagClose();
  void ScanByState();
  void ScanElement();
  void ScanAttribute();
  void ScanEquals();
  void ScanQuotedValue(char quote);
  void ScanValueEntity();
  void ScanEntity();
  void ScanText();
  void ScanComment();
  void ScanUntilClose(TXmlTokenKind kind, char before, TXmlScanState after);

  TXmlScanState FState = xsText;
  const char* FSource = "";
  std::size_t FLength = 0;
  std::size_t FPos = 0;
  std::size_t FTokenStart = 0;
  TXmlTokenKind FTokenKind = xkEnd;
  int FLineNumber = 0;
};
