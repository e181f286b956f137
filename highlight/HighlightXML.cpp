#include "highlight/HighlightXML.h"
#include "highlight/HighlightMarkupScan.h"

#include <array>

namespace {

enum CharClass : std::uint8_t { ccBlank, ccTagOpen, ccTagClose, ccByState };

constexpr std::array<std::uint8_t, 256> MakeCharClasses()
{
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = c <= 32 ? ccBlank : ccByState;
    t['<'] = ccTagOpen;
    t['>'] = ccTagClose;
    return t;
}
constexpr auto kCharClasses = MakeCharClasses();

// "-", ".", digits, ":", letters and "_"; nothing above 127.
constexpr std::array<bool, 256> MakeNameChars()
{
    std::array<bool, 256> t{};
    for (int c = '0'; c <= '9'; ++c)
        t[c] = true;
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = t[c + 32] = true;
    t['-'] = t['.'] = t[':'] = t['_'] = true;
    return t;
}
constexpr auto XmlNameChars = MakeNameChars();

constexpr std::array<int, 22> kKindColors = {1, 1, 2, 10, 11, 1, 6, 7, 6, 7, 2, 3, 9, 10, 4, 3, 8, 9, 4, 5, 5, 8};

bool IsNamespaceState(TXmlScanState s)
{
    return s == xsNsEquals || s == xsNsQuotedValue || s == xsNsApostropheValue || s == xsNsQuotedEntity
        || s == xsNsApostropheEntity;
}

} // namespace

template class THighlightMarkup<TXmlTokenKind, xkSpace, xkEnd>;

THighlightXML::THighlightXML(const TScreenMetrics& screen) : THighlightMarkup(screen) {}

void THighlightXML::WriteBody(TRtfBuffer& out, std::ostream* stream) { WriteMarkupTokens(*this, out, stream); }

int THighlightXML::TokenColor() const { return kKindColors[FTokenKind]; }

void THighlightXML::NextToken()
{
    FTokenStart = FPos;
    switch (FState) {
    case xsText:
        ScanText();
        break;
    case xsCData:
        ScanUntilClose(xkCData, "]>", xsText);
        break;
    case xsInstruction:
        ScanUntilClose(xkInstruction, "?>", xsText);
        break;
    case xsComment:
        ScanComment();
        break;
    case xsDocType:
        ScanUntilClose(xkDocType, "]>", xsAttribute);
        break;
    default:
        ScanByChar();
        break;
    }
}

bool THighlightXML::MatchesAhead(std::string_view word) const
{
    for (std::size_t k = 0; k < word.size(); ++k)
        if (At(FPos + 1 + k) != static_cast<unsigned char>(word[k]))
            return false;
    return true;
}

void THighlightXML::ScanByChar()
{
    switch (kCharClasses[Cur()]) {
    case ccBlank:
        ScanBlank();
        break;
    case ccTagOpen:
        ScanTagOpen();
        break;
    case ccTagClose:
        ScanTagClose();
        break;
    default:
        ScanByState();
        break;
    }
}

void THighlightXML::ScanTagClose()
{
    FTokenKind = xkSymbol;
    FState = xsText;
    ++FPos;
}

void THighlightXML::ScanTagOpen()
{
    ++FPos;
    if (Cur() == '/')
        ++FPos;
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

void THighlightXML::ScanByState()
{
    switch (FState) {
    case xsElement:
        ScanElement();
        break;
    case xsEquals:
    case xsNsEquals:
        ScanEquals();
        break;
    case xsAttribute:
        ScanAttribute();
        break;
    case xsQuotedValue:
    case xsNsQuotedValue:
        ScanQuotedValue('"');
        break;
    case xsApostropheValue:
    case xsNsApostropheValue:
        ScanQuotedValue('\'');
        break;
    case xsQuotedEntity:
    case xsNsQuotedEntity:
    case xsApostropheEntity:
    case xsNsApostropheEntity:
        ScanValueEntity();
        break;
    default:
        ScanEntity();
        break;
    }
}

void THighlightXML::ScanElement()
{
    if (Cur() == '/')
        ++FPos;
    while (XmlNameChars[Cur()])
        ++FPos;
    FState = xsAttribute;
    FTokenKind = xkElement;
}

void THighlightXML::ScanAttribute()
{
    if (Cur() == '"' || Cur() == '\'') {
        FTokenKind = xkSymbol;
        FState = xsAttribute;
        ++FPos;
        return;
    }
    while (XmlNameChars[Cur()])
        ++FPos;
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
void THighlightXML::ScanEquals()
{
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
void THighlightXML::ScanQuotedValue(char quote)
{
    const bool ns = IsNamespaceState(FState);
    const bool dbl = quote == '"';
    FTokenKind = dbl ? (ns ? xkNsQuotedValue : xkQuotedValue) : (ns ? xkNsApostropheValue : xkApostropheValue);
    if (dbl)
        SkipToStop<false, '\0', '\n', '\r', '"', '&'>();
    else
        SkipToStop<false, '\0', '\n', '\r', '\'', '&'>();
    const unsigned char c = Cur();
    if (c == '&')
        FState = dbl ? (ns ? xsNsQuotedEntity : xsQuotedEntity) : (ns ? xsNsApostropheEntity : xsApostropheEntity);
    else if (c == static_cast<unsigned char>(quote))
        FState = xsAttribute;
}

void THighlightXML::ScanValueEntity()
{
    const bool ns = IsNamespaceState(FState);
    const bool dbl = FState == xsQuotedEntity || FState == xsNsQuotedEntity;
    FTokenKind = dbl ? (ns ? xkNsQuotedEntity : xkQuotedEntity) : (ns ? xkNsApostropheEntity : xkApostropheEntity);
    SkipToStop<true, ' ', ';'>();
    if (Cur() == ';')
        ++FPos;
    FState = dbl ? (ns ? xsNsQuotedValue : xsQuotedValue) : (ns ? xsNsApostropheValue : xsApostropheValue);
}

void THighlightXML::ScanEntity()
{
    FTokenKind = xkEntity;
    SkipToStop<true, ' ', ';'>();
    if (Cur() == ';')
        ++FPos;
    FState = xsText;
}

void THighlightXML::ScanText()
{
    if (!ScanTextRun(xkText)) {
        ScanByChar();
        return;
    }
    if (Cur() == '&')
        FState = xsEntity;
}

// The body of a comment, one token per line; "-->" is a symbol of its own.
void THighlightXML::ScanComment()
{
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
    for (SkipToStop<false, '\0', '\n', '\r', '-'>(); Cur() == '-'; SkipToStop<false, '\0', '\n', '\r', '-'>()) {
        if (At(FPos + 1) == '-' && At(FPos + 2) == '>')
            return;
        ++FPos;
    }
}

// Instructions, CDATA sections and DOCTYPE declarations: one token per line,
// the last one up to and including the `closer`.
void THighlightXML::ScanUntilClose(TXmlTokenKind kind, std::string_view closer, TXmlScanState after)
{
    if (ScanBlockLine(kind, closer))
        FState = after;
}
