#pragma once
// HTML source colouring: a state machine over a per-character routine table,
// a hashed table of known tag names and a list of character entities.

#include <array>
#include <cstdint>
#include <string_view>

#include "highlight/HighlightMarkup.h"

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
    hsEntity = 0, // initial; or an entity found in text is the next token
    hsServerScript = 1, // inside "<%" ... "%>"
    hsComment = 2, // inside "<!--" ... "-->"
    hsTagName = 3, // after "<"
    hsInTag = 4, // inside a tag after its name
    hsText = 5, // between tags
    hsValue = 7, // after "=" inside a tag
};

// The 151 entity names, in search order (first match wins).
extern const std::array<std::string_view, 151> HtmlEntities;
// The 198 known tag names (opening, then closing forms).
extern const std::array<std::string_view, 198> HtmlTagNames;

extern template class THighlightMarkup<THtmlTokenKind, hkSpace, hkEnd>;

// Colour indices: 1 server script, 2 comment, 3 name, 4 tag, 5 blank,
// 6 string, 7 symbol, 8 text, 9 unknown tag, 10 value, 11 entity.
// The token operations, Source, TokenKind and DefaultColors are those of
// THighlightMarkup (editor/HighlightMarkup.h).
class THighlightHTML final : public THighlightMarkup<THtmlTokenKind, hkSpace, hkEnd> {
public:
    explicit THighlightHTML(const TScreenMetrics& screen = TScreenMetrics::Default());

    using THighlightMarkup::SetSource;
    // The first token keeps the entity kind when it is the empty one of a
    // leading "&".
    void SetSource(std::string_view text, int lineNumber) override;
    void NextToken() override;
    int TokenColor() const override;

    THtmlScanState State() const { return FState; }

protected:
    void WriteBody(TRtfBuffer& out, std::ostream* stream) override;

private:
    void ScanSymbol();
    void ScanTagOpen();
    void ScanString(THtmlTokenKind kind);
    void ScanEntity();
    void ScanText();
    THtmlTokenKind KeywordKind();
    bool IsTagKey(const std::array<char, 16>& key, std::size_t start) const;
    int FindEntity() const;

    int FEntityIndex = -1;
    THtmlScanState FState = hsEntity;
    std::size_t FKeyLength = 0;
};
