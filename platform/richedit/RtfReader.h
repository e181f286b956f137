#pragma once
// Reads Rich Text Format in one pass over its bytes and hands the text to a
// sink in runs of equal character format. Plain C++ (no Qt), so that the
// fuzz target builds it alone.
//
// Read: font and colour tables, \cf \cb \highlight \b \i \ul.. \strike \fs \f
// \plain, \ql \qc \qr \qj \pard, \par \line \tab and the named special
// characters, \uN with \ucN skipping, \'hh and raw bytes above 127 in the
// code page of \ansicpg or of the current font's \fcharset, fields whose
// instruction is HYPERLINK, \bin, paragraph numbering (\pn) and PNG
// pictures (\pict\pngblip). Known non-text destinations and every
// unknown {\* ...} destination are skipped. Malformed input (unbalanced
// braces, truncation, huge numbers, deep nesting) is read as far as it goes.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TRtfAlignment : std::uint8_t { Left, Center, Right, Justify };

// The numbering of a paragraph (\pn...): a number or bullet the reader of
// the document draws in front of it. \pntext, the number as text for
// readers without numbering, is not handed on.
enum class TRtfNumbering : std::uint8_t { None, Decimal, Bullet, UpperRoman, LowerRoman, UpperAlpha, LowerAlpha };

// A colour-table entry; an entry without components is the reader's
// "automatic" colour (the control's own text or background colour).
struct TRtfColor {
    std::uint8_t Red = 0, Green = 0, Blue = 0;
    bool Automatic = true;
};

// The character format of a run. Indices refer to TRtfTables; -1 means
// "not given" (the control's default applies).
struct TRtfCharFormat {
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    std::int32_t Foreground = -1; // colour-table index of \cf
    std::int32_t Background = -1; // colour-table index of \cb or \highlight
    std::int32_t Font = -1; // index into TRtfTables::Fonts
    std::int32_t HalfPoints = 0; // \fs; 0 when not given
    std::int32_t Link = -1; // index into TRtfTables::Links

    bool operator==(const TRtfCharFormat&) const = default;
};

struct TRtfFont {
    std::int32_t Number = 0; // the N of \fN
    std::string Name; // UTF-8
    int CodePage = 0; // from \fcharset; 0 when the document's applies
};

// What the runs' formats refer to. Filled as the tables are read, so a sink
// looks formats up when it receives them.
struct TRtfTables {
    std::vector<TRtfColor> Colors;
    std::vector<TRtfFont> Fonts;
    std::vector<std::string> Links; // UTF-8 targets of HYPERLINK fields
    int CodePage = 1252;
};

// Receives the document in order.
class IRtfSink {
public:
    virtual ~IRtfSink() = default;
    // A run of text (never empty) in one format. Tabs are '\t', \line is
    // U+2028; no paragraph break occurs inside a run.
    virtual void Text(std::u16string_view text, const TRtfCharFormat& format, const TRtfTables& tables) = 0;
    // The current paragraph ends (\par) with this alignment; a new one starts.
    virtual void ParagraphBreak(TRtfAlignment alignment) = 0;
    // The document ends; the last paragraph has this alignment.
    virtual void End(TRtfAlignment lastAlignment) = 0;
    // Raised right before ParagraphBreak or End for a paragraph that is
    // numbered. Not overridden: the numbering is dropped.
    virtual void ParagraphNumbering(TRtfNumbering /*numbering*/) {}
    // A picture (\pict with \pngblip) at this point of the text: its PNG
    // bytes, its shown size in pixels (from \picwgoal and \pichgoal; 0 when
    // not given) and the UTF-8 target of the HYPERLINK field it stands in
    // (empty when none). Pictures of other kinds, and PNG data larger than
    // the reader's limit, are skipped. Not overridden: the picture is dropped.
    virtual void Picture(std::string_view /*png*/, int /*width*/, int /*height*/, std::string_view /*link*/) {}
};

// True when the bytes begin with "{\rtf", the mark the control reads rich text by.
bool IsRtf(std::string_view data);

// Reads `rtf` into `sink`. Bytes that do not begin with "{\rtf" are not read
// (the caller loads them as plain text); then the result is false.
bool ReadRtf(std::string_view rtf, IRtfSink& sink);

// Decodes bytes of a Windows code page; 1252 and unknown pages use the
// built-in table of 1252, others go through iconv.
class TCodePageDecoder {
public:
    TCodePageDecoder();
    ~TCodePageDecoder();
    TCodePageDecoder(const TCodePageDecoder&) = delete;
    TCodePageDecoder& operator=(const TCodePageDecoder&) = delete;

    void SetCodePage(int codePage);
    int CodePage() const { return codePage_; }
    // Appends the characters of `byte`; a lead byte of a double-byte page is
    // held until its second byte arrives.
    void Put(unsigned char byte, std::u16string& out);
    // Drops a held lead byte (at a break in the byte sequence).
    void Reset() { pendingLength_ = 0; }

private:
    void PutThroughIconv(unsigned char byte, std::u16string& out);

    int codePage_ = 1252;
    void* iconv_ = nullptr; // iconv_t to UTF-16LE, or null for the built-in table
    char pending_[4] = {};
    std::size_t pendingLength_ = 0;
};
