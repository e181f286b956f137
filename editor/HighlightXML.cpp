#include "editor/HighlightXML.h"
#include "editor/HighlightTokenLoop.h"

#include <array>
#include <vector>

namespace {

enum CharClass : std::uint8_t { ccNull, ccSpace, ccLF, ccCR, ccTagOpen, ccTagClose, ccByState };

constexpr std::array<std::uint8_t, 256> MakeCharClasses() {
  std::array<std::uint8_t, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = c <= 32 ? ccSpace : ccByState;
  t[0] = ccNull;
  t['\n'] = ccLF;
  t['\r'] = ccCR;
  t['<'] = ccTagOpen;
  t['>'] = ccTagClose;
  return t;
}
constexpr auto kCharClasses = MakeCharClasses();

// "-", ".", digits, ":", letters and "_"; nothing above 127.
constexpr std::array<bool, 256> MakeNameChars() {
  std::array<bool, 256> t{};
  for (int c = '0'; c <= '9'; ++c) t[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = t[c + 32] = true;
  t['-'] = t['.'] = t[':'] = t['_'] = true;
  return t;
}
constexpr auto XmlNameChars = MakeNameChars();

constexpr std::array<bool, 256> MakeTextStops() {
  std::array<bool, 256> t{};
  for (int c = 0; c < 32; ++c) t[c] = true;
  t['<'] = t['&'] = true;
  return t;
}
constexpr auto kTextStops = MakeTextStops();

constexpr std::array<int, 22> kKindColors = {1, 1, 2, 10, 11, 1, 6, 7, 6, 7, 2,
                                             3, 9, 10, 4, 3, 8, 9, 4, 5, 5, 8};

constexpr bool IsLineEnd(unsigned char c) { return c == 0 || c == '\n' || c == '\r'; }

bool IsNamespaceState(TXmlScanState s) {
  return s == xsNsEquals || s == xsNsQuotedValue || s == xsNsApostropheValue ||
         s == xsNsQuotedEntity || s == xsNsApostropheEntity;
}

}  // namespace

THighlightXML::THighlightXML(const TScreenMetrics& screen) : THighlightRichSyntax(screen) {
  SetColors(DefaultColors());
  FState = xsText;
}

const std::vector<TColor>& THighlightXML::DefaultColors() {
  static const std::vector<TColor> colors = {clGreen, clMaroon, clBlack, clBlue,  clBlack, clGreen,
                                             clBlue,  clBlack,  clRed,   clBlack, clBlack};
  return colors;
}

void THighlightXML::ResetColors() { SetColors(DefaultColors()); }

std::string_view THighlightXML::EscapeText(std::string_view token, std::string& scratch) {
  return EscapeMarkup(token, scratch);
}

void THighlightXML::WriteBody(TRtfBuffer& out, std::ostream* stream) {
  WriteMarkupTokens(*this, out, stream);
}

void THighlightXML::FormatToken(int colorIndex, std::string_view token, TRtfBuffer& output) {
  FormatMarkupToken(colorIndex, token, output);
}

void THighlightXML::SetSource(const std::string& text, int lineNumber) {
  FSource = text.c_str();
  FLength = text.size();
  FPos = 0;
  FLineNumber = lineNumber;
  NextToken();
}

std::string_view THighlightXML::TokenText() const {
  return {FSource + FTokenStart, FPos - FTokenStart};
}

bool THighlightXML::AtEnd() const { return FTokenKind == xkEnd; }

int THighlightXML::TokenColor() const { return kKindColors[FTokenKind]; }

void THighlightXML::NextToken() {
  FTokenStart = FPos;
  switch (FState) {
    case xsText: ScanText(); break;
    case xsCData: ScanUntilClose(xkCData, ']', xsText); break;
    case xsInstruction: ScanUntilClose(xkInstruction, '?', xsText); break;
    case xsComment: ScanComment(); break;
    case xsDocType: ScanUntilClose(xkDocType, ']', xsAttribute); break;
    default: ScanByChar(); break;
  }
}

bool THighlightXML::MatchesAhead(std::string_view word) const {
  for (std::size_t k = 0; k < word.size(); ++k)
    if (At(FPos + 1 + k) != static_cast<unsigned char>(word[k])) return false;
  return true;
}

void THighlightXML::ScanByChar() {
  switch (kCharClasses[Cur()]) {
    // A NUL inside the text is a blank; only the one after the text ends it.
    case ccNull: FPos >= FLength ? ScanNull() : ScanSpace(); break;
    case ccSpace: ScanSpace(); break;
    case ccLF: ScanLF(); break;
    case ccCR: ScanCR(); break;
    case ccTagOpen: ScanTagOpen(); break;
    case ccTagClose: ScanTagClose(); break;
    default: ScanByState(); break;
  }
}

void THighlightXML::ScanNull() { FTokenKind = xkEnd; }

void THighlightXML::ScanSpace() {
  ++FPos;
  FTokenKind = xkSpace;
  for (unsigned char c = Cur(); c <= 32 && c != 0 && c != '\t' && c != '\n' && c != '\r'; c = Cur())
    ++FPos;
}

void THighlightXML::ScanLF() {
  FTokenKind = xkSpace;
  ++FPos;
}

void THighlightXML::ScanCR() {
  FTokenKind = xkSpace;
  ++FPos;
  if (Cur() == '\n') ++FPos;
}

void THighlightXML::ScanTagClose() {
  FTokenKind = xkSymbol;
  FState = xsText;
  ++FPos;
}

void THighlightXML::ScanTagOpen() {
  ++FPos;
  if (Cur() == '/') ++FPos;
  if (Cur() == '!') {
    if (At(FPos + 1) == '-' && At(FPos + 2) == '-') {
      FTokenKind = xkSymbol;
      FState = xsComment;
      FPos += 3;
    } else if (MatchesAhead("DOCTYPE")) {
      FTokenKind = xkDocType;
      FState = xsDocType;
      FPos += 8;
    } else if (MatchesAhead("[CDATA[")) {
      FTokenKind = xkCData;
      FState = xsCData;
      FPos += 8;
    } else {
      FTokenKind = xkSymbol;
      FState = xsElement;
      ++FPos;
    }
  } else if (Cur() == '?') {
    FTokenKind = xkInstruction;
    FState = xsInstruction;
    ++FPos;
  } else {
    FTokenKind = xkSymbol;
    FState = xsElement;
  }
}

void THighlightXML::ScanByState() {
  switch (FState) {
    case xsElement: ScanElement(); break;
    case xsEquals:
    case xsNsEquals: ScanEquals(); break;
    case xsAttribute: ScanAttribute(); break;
    case xsQuotedValue:
    case xsNsQuotedValue: ScanQuotedValue('"'); break;
    case xsApostropheValue:
    case xsNsApostropheValue: ScanQuotedValue('\''); break;
    case xsQuotedEntity:
    case xsNsQuotedEntity:
    case xsApostropheEntity:
    case xsNsApostropheEntity: ScanValueEntity(); break;
    default: ScanEntity(); break;
  }
}

void THighlightXML::ScanElement() {
  if (Cur() == '/') ++FPos;
  while (XmlNameChars[Cur()]) ++FPos;
  FState = xsAttribute;
  FTokenKind = xkElement;
}

void THighlightXML::ScanAttribute() {
  if (Cur() == '"' || Cur() == '\'') {
    FTokenKind = xkSymbol;
    FState = xsAttribute;
    ++FPos;
    return;
  }
  while (XmlNameChars[Cur()]) ++FPos;
  if (TokenText().find("xmlns") != std::string_view::npos) {
    FTokenKind = xkNamespace;
    FState = xsNsEquals;
  } else {
    FTokenKind = xkAttribute;
    FState = xsEquals;
  }
}

// From "=" up to and including the opening quote; an unquoted value runs on
// to the next quote, "/" or line end.
void THighlightXML::ScanEquals() {
  const bool ns = FState == xsNsEquals;
  FTokenKind = ns ? xkNsEquals : xkEquals;
  for (unsigned char c = Cur(); !IsLineEnd(c); c = Cur()) {
    ++FPos;
    if (c == '/') {
      FTokenKind = xkSymbol;
      FState = xsElement;
      return;
    }
    if (c == '"') {
      FState = ns ? xsNsQuotedValue : xsQuotedValue;
      return;
    }
    if (c == '\'') {
      FState = ns ? xsNsApostropheValue : xsApostropheValue;
      return;
    }
  }
}

// The inside of a value up to its closing quote, an entity or a line end
// (the value then goes on in the next line).
void THighlightXML::ScanQuotedValue(char quote) {
  const bool ns = IsNamespaceState(FState);
  const bool dbl = quote == '"';
  FTokenKind = dbl ? (ns ? xkNsQuotedValue : xkQuotedValue)
                   : (ns ? xkNsApostropheValue : xkApostropheValue);
  unsigned char c = Cur();
  for (; !IsLineEnd(c) && c != static_cast<unsigned char>(quote) && c != '&'; c = Cur()) ++FPos;
  if (c == '&')
    FState = dbl ? (ns ? xsNsQuotedEntity : xsQuotedEntity)
                 : (ns ? xsNsApostropheEntity : xsApostropheEntity);
  else if (c == static_cast<unsigned char>(quote))
    FState = xsAttribute;
}

void THighlightXML::ScanValueEntity() {
  const bool ns = IsNamespaceState(FState);
  const bool dbl = FState == xsQuotedEntity || FState == xsNsQuotedEntity;
  FTokenKind = dbl ? (ns ? xkNsQuotedEntity : xkQuotedEntity)
                   : (ns ? xkNsApostropheEntity : xkApostropheEntity);
  for (unsigned char c = Cur(); c > 32 && c != ';'; c = Cur()) ++FPos;
  if (Cur() == ';') ++FPos;
  FState = dbl ? (ns ? xsNsQuotedValue : xsQuotedValue)
               : (ns ? xsNsApostropheValue : xsApostropheValue);
}

void THighlightXML::ScanEntity() {
  FTokenKind = xkEntity;
  for (unsigned char c = Cur(); c > 32 && c != ';'; c = Cur()) ++FPos;
  if (Cur() == ';') ++FPos;
  FState = xsText;
}

void THighlightXML::ScanText() {
  if (Cur() < 32 || Cur() == '<') {
    ScanByChar();
    return;
  }
  FTokenKind = xkText;
  while (!kTextStops[Cur()]) ++FPos;
  if (Cur() == '&') FState = xsEntity;
}

// The body of a comment, one token per line; "-->" is a symbol of its own.
void THighlightXML::ScanComment() {
  if (Cur() == '-' && At(FPos + 1) == '-' && At(FPos + 2) == '>') {
    FTokenKind = xkSymbol;
    FState = xsText;
    FPos += 3;
    return;
  }
  FTokenKind = xkComment;
  if (IsLineEnd(Cur())) {
    ScanByChar();
    return;
  }
  for (unsigned char c = Cur(); !IsLineEnd(c); c = Cur()) {
    if (c == '-' && At(FPos + 1) == '-' && At(FPos + 2) == '>') return;
    ++FPos;
  }
}

// Instructions, CDATA sections and DOCTYPE declarations: one token per line,
// the last one up to and including the ">" that follows `before`.
void THighlightXML::ScanUntilClose(TXmlTokenKind kind, char before, TXmlScanState after) {
  FTokenKind = kind;
  if (IsLineEnd(Cur())) {
    ScanByChar();
    return;
  }
  for (unsigned char c = Cur(); !IsLineEnd(c); c = Cur()) {
    if (c == '>' && FPos > 0 && At(FPos - 1) == static_cast<unsigned char>(before)) {
      FState = after;
      ++FPos;
      return;
    }
    ++FPos;
  }
}
