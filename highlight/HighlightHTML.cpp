#include "highlight/HighlightHTML.h"
#include "highlight/HighlightMarkupScan.h"

#include <vector>

constexpr std::array<std::string_view, 151> HtmlEntities = {
    "&amp;",
    "&lt;",
    "&gt;",
    "&quot;",
    "&trade;",
    "&nbsp;",
    "&copy;",
    "&reg;",
    "&Agrave;",
    "&Aacute;",
    "&Acirc;",
    "&Atilde;",
    "&Auml;",
    "&Aring;",
    "&AElig;",
    "&Ccedil;",
    "&Egrave;",
    "&Eacute;",
    "&Ecirc;",
    "&Euml;",
    "&Igrave;",
    "&Iacute;",
    "&Icirc;",
    "&Iuml;",
    "&ETH;",
    "&Ntilde;",
    "&Ograve;",
    "&Oacute;",
    "&Ocirc;",
    "&Otilde;",
    "&Ouml;",
    "&Oslash;",
    "&Ugrave;",
    "&Uacute;",
    "&Ucirc;",
    "&Uuml;",
    "&Yacute;",
    "&THORN;",
    "&szlig;",
    "&agrave;",
    "&aacute;",
    "&acirc;",
    "&atilde;",
    "&auml;",
    "&aring;",
    "&aelig;",
    "&ccedil;",
    "&egrave;",
    "&eacute;",
    "&ecirc;",
    "&euml;",
    "&igrave;",
    "&iacute;",
    "&icirc;",
    "&iuml;",
    "&eth;",
    "&ntilde;",
    "&ograve;",
    "&oacute;",
    "&ocirc;",
    "&otilde;",
    "&ouml;",
    "&oslash;",
    "&ugrave;",
    "&uacute;",
    "&ucirc;",
    "&uuml;",
    "&yacute;",
    "&thorn;",
    "&yuml;",
    "&iexcl;",
    "&cent;",
    "&pound;",
    "&curren;",
    "&yen;",
    "&brvbar;",
    "&sect;",
    "&uml;",
    "&ordf;",
    "&laquo;",
    "&shy;",
    "&macr;",
    "&deg;",
    "&plusmn;",
    "&sup2;",
    "&sup3;",
    "&acute;",
    "&micro;",
    "&middot;",
    "&cedil;",
    "&sup1;",
    "&ordm;",
    "&raquo;",
    "&frac14;",
    "&frac12;",
    "&frac34;",
    "&iquest;",
    "&times;",
    "&divide",
    "&euro;",
    "&#9;",
    "&#127;",
    "&#128;",
    "&#129;",
    "&#130;",
    "&#131;",
    "&#132;",
    "&ldots;",
    "&#134;",
    "&#135;",
    "&#136;",
    "&#137;",
    "&#138;",
    "&#139;",
    "&#140;",
    "&#141;",
    "&#142;",
    "&#143;",
    "&#144;",
    "&#152;",
    "&#153;",
    "&#154;",
    "&#155;",
    "&#156;",
    "&#157;",
    "&#158;",
    "&#159;",
    "&#161;",
    "&#162;",
    "&#163;",
    "&#164;",
    "&#165;",
    "&#166;",
    "&#167;",
    "&#168;",
    "&#170;",
    "&#175;",
    "&#176;",
    "&#177;",
    "&#178;",
    "&#180;",
    "&#181;",
    "&#183;",
    "&#184;",
    "&#185;",
    "&#186;",
    "&#188;",
    "&#189;",
    "&#190;",
    "&#191;",
    "&#215;",
};

constexpr std::array<std::string_view, 198> HtmlTagNames = {
    "!DOCTYPE",
    "A",
    "ABBR",
    "ACRONYM",
    "ADDRESS",
    "APPLET",
    "AREA",
    "B",
    "BASE",
    "BASEFONT",
    "BGSOUND",
    "BIG",
    "BLINK",
    "BLOCKQUOTE",
    "BODY",
    "BR",
    "BUTTON",
    "CAPTION",
    "CENTER",
    "CITE",
    "CODE",
    "COL",
    "COLGROUP",
    "COMMENT",
    "DD",
    "DEL",
    "DFN",
    "DIR",
    "DIV",
    "DL",
    "DT",
    "EM",
    "EMBED",
    "FIELDSET",
    "FONT",
    "FORM",
    "FRAME",
    "FRAMESET",
    "H1",
    "H2",
    "H3",
    "H4",
    "H5",
    "H6",
    "HEAD",
    "HR",
    "HTML",
    "I",
    "IFRAME",
    "ILAYER",
    "IMG",
    "INPUT",
    "INS",
    "ISINDEX",
    "KBD",
    "KEYGEN",
    "LABEL",
    "LAYER",
    "LEGEND",
    "LI",
    "LINK",
    "LISTING",
    "MAP",
    "MARQUEE",
    "MENU",
    "META",
    "MULTICOL",
    "NEXTID",
    "NOBR",
    "NOEMBED",
    "NOFRAMES",
    "NOLAYER",
    "NOSCRIPT",
    "OBJECT",
    "OL",
    "OPTION",
    "P",
    "PARAM",
    "PLAINTEXT",
    "PRE",
    "Q",
    "S",
    "SAMP",
    "SCRIPT",
    "SELECT",
    "SERVER",
    "SMALL",
    "SPACER",
    "SPAN",
    "STRIKE",
    "STRONG",
    "STYLE",
    "SUB",
    "SUP",
    "TABLE",
    "TBODY",
    "TD",
    "TEXTAREA",
    "TFOOT",
    "TH",
    "THEAD",
    "TITLE",
    "TR",
    "TT",
    "U",
    "UL",
    "VAR",
    "WBR",
    "XMP",
    "/A",
    "/ABBR",
    "/ACRONYM",
    "/ADDRESS",
    "/APPLET",
    "/B",
    "/BIG",
    "/BLINK",
    "/BLOCKQUOTE",
    "/BODY",
    "/BUTTON",
    "/CAPTION",
    "/CENTER",
    "/CITE",
    "/CODE",
    "/COLGROUP",
    "/COMMENT",
    "/DD",
    "/DEL",
    "/DFN",
    "/DIR",
    "/DIV",
    "/DL",
    "/DT",
    "/EM",
    "/EMBED",
    "/FIELDSET",
    "/FONT",
    "/FORM",
    "/FRAMESET",
    "/H1",
    "/H2",
    "/H3",
    "/H4",
    "/H5",
    "/H6",
    "/HEAD",
    "/HTML",
    "/I",
    "/IFRAME",
    "/ILAYER",
    "/INS",
    "/KBD",
    "/LABEL",
    "/LAYER",
    "/LEGEND",
    "/LI",
    "/LISTING",
    "/MAP",
    "/MARQUEE",
    "/MENU",
    "/MULTICOL",
    "/NOBR",
    "/NOEMBED",
    "/NOFRAMES",
    "/NOLAYER",
    "/NOSCRIPT",
    "/OBJECT",
    "/OL",
    "/OPTION",
    "/P",
    "/PRE",
    "/Q",
    "/S",
    "/SAMP",
    "/SCRIPT",
    "/SELECT",
    "/SERVER",
    "/SMALL",
    "/SPAN",
    "/STRIKE",
    "/STRONG",
    "/STYLE",
    "/SUB",
    "/SUP",
    "/TABLE",
    "/TBODY",
    "/TD",
    "/TEXTAREA",
    "/TFOOT",
    "/TH",
    "/THEAD",
    "/TITLE",
    "/TR",
    "/TT",
    "/U",
    "/UL",
    "/VAR",
    "/XMP",
};

namespace {

constexpr int kKeywordBuckets = 244;

// Tag-name letter values: letters count 1 to 26 whatever their case, "!" 123,
// "/" 122, everything else 0 (which also ends the word's letter run).
constexpr std::array<std::uint32_t, 256> MakeKeywordCharValue()
{
    std::array<std::uint32_t, 256> t{};
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = t[c + 32] = c - 64;
    t['!'] = 123;
    t['/'] = 122;
    return t;
}
constexpr auto KeywordCharValue = MakeKeywordCharValue();

enum CharClass : std::uint8_t {
    ccControl,
    ccSpace,
    ccString,
    ccEntity,
    ccTagOpen,
    ccEquals,
    ccTagClose,
    ccWord,
};

constexpr std::array<std::uint8_t, 256> MakeCharClasses()
{
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = c < 32 ? ccControl : ccWord;
    t[' '] = ccSpace;
    t['"'] = ccString;
    t['&'] = ccEntity;
    t['<'] = ccTagOpen;
    t['='] = ccEquals;
    t['>'] = ccTagClose;
    return t;
}
constexpr auto kCharClasses = MakeCharClasses();

// What NextToken scans, by scan state and the character at the token's start:
// one table lookup decides it.
enum ScanAction : std::uint8_t {
    saBlank,
    saSpace,
    saString,
    saValueString,
    saEntity,
    saTagOpen,
    saSymbol,
    saTagName,
    saValueWord,
    saName,
    saText,
    saScriptLine,
    saCommentLine,
};

constexpr ScanAction ActionOf(int state, int charClass)
{
    switch (state) {
    case hsServerScript:
        return saScriptLine;
    case hsComment:
        return saCommentLine;
    // Text runs start at any character from the space up, except "<".
    case hsText:
        return charClass == ccControl ? saBlank : charClass == ccTagOpen ? saTagOpen : saText;
    default:
        break;
    }
    switch (charClass) {
    case ccControl:
        return saBlank;
    case ccSpace:
        return saSpace;
    case ccString:
        return state == hsValue ? saValueString : saString;
    case ccEntity:
        return saEntity;
    case ccTagOpen:
        return saTagOpen;
    case ccEquals:
    case ccTagClose:
        return saSymbol;
    default:
        return state == hsTagName ? saTagName : state == hsValue ? saValueWord : saName;
    }
}

constexpr int kScanStates = 8; // THtmlScanState values are below this

constexpr std::array<std::array<ScanAction, 256>, kScanStates> MakeScanActions()
{
    std::array<std::array<ScanAction, 256>, kScanStates> t{};
    for (int state = 0; state < kScanStates; ++state)
        for (int c = 0; c < 256; ++c)
            t[state][c] = ActionOf(state, kCharClasses[c]);
    return t;
}
constexpr auto kScanActions = MakeScanActions();

constexpr std::array<int, 12> kKindColors = {11, 1, 2, 3, 4, 11, 5, 6, 7, 8, 9, 10};

constexpr unsigned char Lower(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

constexpr std::uint32_t HashOfName(std::string_view name)
{
    std::uint32_t h = 0;
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        h += c >= '0' && c <= '9' ? c - '0' : KeywordCharValue[c];
    }
    return h;
}

// Known tag names by hash value: up to three indices into HtmlTagNames.
struct TagBucket {
    std::uint8_t count;
    std::array<std::uint8_t, 3> names;
};

constexpr std::array<TagBucket, kKeywordBuckets> MakeTagBuckets()
{
    std::array<TagBucket, kKeywordBuckets> b{};
    for (std::size_t i = 0; i < HtmlTagNames.size(); ++i) {
        TagBucket& bucket = b[HashOfName(HtmlTagNames[i])];
        bucket.names[bucket.count++] = static_cast<std::uint8_t>(i);
    }
    return b;
}
constexpr auto kTagBuckets = MakeTagBuckets();

// Tag names lower-cased, padded with zeros, for KeywordKind's comparison.
using TagKey = std::array<char, 16>;

constexpr std::array<TagKey, HtmlTagNames.size()> MakeTagKeys()
{
    std::array<TagKey, HtmlTagNames.size()> keys{};
    for (std::size_t i = 0; i < HtmlTagNames.size(); ++i)
        for (std::size_t k = 0; k < HtmlTagNames[i].size(); ++k)
            keys[i][k] = static_cast<char>(Lower(static_cast<unsigned char>(HtmlTagNames[i][k])));
    return keys;
}
constexpr auto kTagKeys = MakeTagKeys();

// Entities by the lower-cased character after "&", in table order, so that a
// lookup only compares names that can match.
const std::array<std::vector<std::uint8_t>, 256>& EntityBuckets()
{
    static const auto buckets = [] {
        std::array<std::vector<std::uint8_t>, 256> b;
        for (std::size_t i = 0; i < HtmlEntities.size(); ++i)
            b[Lower(static_cast<unsigned char>(HtmlEntities[i][1]))].push_back(static_cast<std::uint8_t>(i));
        return b;
    }();
    return buckets;
}

} // namespace

template class THighlightMarkup<THtmlTokenKind, hkSpace, hkEnd>;

THighlightHTML::THighlightHTML(const TScreenMetrics& screen) : THighlightMarkup(screen)
{
    EntityBuckets(); // the shared entity index exists before the first scan
}

void THighlightHTML::WriteBody(TRtfBuffer& out, std::ostream* stream) { WriteMarkupTokens(*this, out, stream); }

void THighlightHTML::SetSource(std::string_view text, int lineNumber)
{
    FTokenKind = hkEntity;
    THighlightMarkup::SetSource(text, lineNumber);
}

int THighlightHTML::TokenColor() const { return kKindColors[FTokenKind]; }

// In comments and server scripts a token is a line, the last one up to and
// including the closing ">"; line breaks inside are blank tokens.
void THighlightHTML::NextToken()
{
    FTokenStart = FPos;
    switch (kScanActions[FState][Cur()]) {
    case saBlank:
        ScanBlank();
        break;
    case saSpace:
        ScanSpace();
        break;
    case saString:
        ScanString(hkString);
        break;
    case saValueString:
        FState = hsInTag;
        ScanString(hkValue);
        break;
    case saEntity:
        ScanEntity();
        break;
    case saTagOpen:
        ScanTagOpen();
        break;
    case saSymbol:
        ScanSymbol();
        break;
    case saTagName:
        FState = hsInTag;
        FTokenKind = KeywordKind();
        FPos += FKeyLength;
        break;
    case saValueWord:
        FState = hsInTag;
        FTokenKind = hkValue;
        ++FPos;
        SkipToStop<true, ' ', '>'>();
        break;
    case saName:
        FTokenKind = hkName;
        ++FPos;
        SkipToStop<true, ' ', '"', '=', '>'>();
        break;
    case saText:
        ScanText();
        break;
    case saScriptLine:
        if (ScanBlockLine(hkServerScript, "%>"))
            FState = hsText;
        break;
    case saCommentLine:
        if (ScanBlockLine(hkComment, "-->"))
            FState = hsText;
        break;
    }
}

// "=", after which a value follows, or ">", after which text does.
void THighlightHTML::ScanSymbol()
{
    FState = Cur() == '=' ? hsValue : hsText;
    FTokenKind = hkSymbol;
    ++FPos;
}

void THighlightHTML::ScanTagOpen()
{
    ++FPos;
    if (Cur() == '!' && At(FPos + 1) == '-' && At(FPos + 2) == '-') {
        FState = hsComment;
        FTokenKind = hkComment;
        FPos += 3;
    } else if (Cur() == '%') {
        FState = hsServerScript;
        FTokenKind = hkServerScript;
        ++FPos;
    } else {
        FState = hsTagName;
        FTokenKind = hkSymbol;
    }
}

void THighlightHTML::ScanString(THtmlTokenKind kind)
{
    FTokenKind = kind;
    ++FPos;
    SkipToStop<false, '\0', '\n', '\r', '"'>();
    if (Cur() == '"')
        ++FPos;
}

void THighlightHTML::ScanEntity()
{
    if (FEntityIndex >= 0 && FEntityIndex < static_cast<int>(HtmlEntities.size())) {
        FTokenKind = hkEntity;
        FPos += HtmlEntities[FEntityIndex].size();
    }
    FEntityIndex = -1;
    FState = hsText;
}

// Text from the space up to a tag or a known entity; an "&" that starts none
// stays in the text.
void THighlightHTML::ScanText()
{
    FTokenKind = hkText;
    SkipText();
    while (Cur() == '&') {
        const int entity = FindEntity();
        if (entity >= 0) {
            FEntityIndex = entity;
            FState = hsEntity;
            return;
        }
        ++FPos;
        SkipText();
    }
}

// Colour kind of the tag name at FPos; sets FKeyLength to the word's length.
THtmlTokenKind THighlightHTML::KeywordKind()
{
    const std::size_t start = FPos;
    std::size_t i = start;
    std::uint64_t hash = 0;
    for (std::uint32_t value; (value = KeywordCharValue[At(i)]) != 0; ++i)
        hash += value;
    for (; At(i) >= '0' && At(i) <= '9'; ++i)
        hash += At(i) - '0';
    FKeyLength = i - start;
    if (hash >= kKeywordBuckets)
        return hkName;
    const TagBucket& bucket = kTagBuckets[hash];
    for (std::size_t b = 0; b < bucket.count; ++b)
        if (HtmlTagNames[bucket.names[b]].size() == FKeyLength && IsTagKey(kTagKeys[bucket.names[b]], start))
            return hkTag;
    return hkUnknownTag;
}

// True when the word of FKeyLength characters at `start` spells `key`,
// ignoring case. Words hold only letters, digits, "!" and "/", which setting
// bit 5 lower-cases and leaves apart.
bool THighlightHTML::IsTagKey(const std::array<char, 16>& key, std::size_t start) const
{
    for (std::size_t k = 0; k < FKeyLength; ++k)
        if ((At(start + k) | 0x20) != static_cast<unsigned char>(key[k]))
            return false;
    return true;
}

// Index of the first entity name that the text at FPos starts with, ignoring
// case; -1 when none does.
int THighlightHTML::FindEntity() const
{
    for (std::uint8_t index : EntityBuckets()[Lower(At(FPos + 1))]) {
        const std::string_view name = HtmlEntities[index];
        std::size_t k = 0;
        while (k < name.size() && Lower(At(FPos + k)) == Lower(static_cast<unsigned char>(name[k])))
            ++k;
        if (k == name.size())
            return index;
    }
    return -1;
}
