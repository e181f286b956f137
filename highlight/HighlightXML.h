#pragma once
// XML source colouring: elements, attributes and their quoted values,
// namespace declarations, entity references, comments, processing
// instructions, CDATA sections and DOCTYPE declarations.

#include <cstdint>
#include <string_view>

#include "highlight/HighlightMarkup.h"

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
    xsElement, // after "<" or "</"
    xsEquals, // after an attribute name
    xsAttribute, // inside a tag
    xsQuotedValue,
    xsApostropheValue,
    xsQuotedEntity,
    xsApostropheEntity,
    xsText, // between tags (initial)
    xsCData,
    xsEntity, // at an entity reference in text
    xsInstruction,
    xsComment,
    xsNsEquals, // the xs* states of a namespace attribute
    xsNsQuotedValue,
    xsNsApostropheValue,
    xsNsQuotedEntity,
    xsNsApostropheEntity,
    xsDocType,
};

extern template class THighlightMarkup<TXmlTokenKind, xkSpace, xkEnd>;

// The token operations, Source, TokenKind and DefaultColors are those of
// THighlightMarkup (editor/HighlightMarkup.h).
class THighlightXML final : public THighlightMarkup<TXmlTokenKind, xkSpace, xkEnd> {
public:
    explicit THighlightXML(const TScreenMetrics& screen = TScreenMetrics::Default());

    void NextToken() override;
    int TokenColor() const override;

    TXmlScanState State() const { return FState; }

protected:
    void WriteBody(TRtfBuffer& out, std::ostream* stream) override;

private:
    bool MatchesAhead(std::string_view word) const;
    void ScanByChar();
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
    void ScanUntilClose(TXmlTokenKind kind, std::string_view closer, TXmlScanState after);

    TXmlScanState FState = xsText;
};
