#include "platform/richedit/RtfReader.h"

#include "platform/com/Utf8.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <limits>
#include <unordered_map>
#include <utility>

namespace {

// 0x80..0x9F of code page 1252; the rest of its upper half is Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
    0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int CodePageOfCharset(int charset)
{
    switch (charset) {
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0; // ANSI, default and symbol sets read as the document's page
    }
}

std::u16string_view Trimmed(std::u16string_view s)
{
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t'))
        s.remove_suffix(1);
    return s;
}

// The target of a field instruction `HYPERLINK "target"` (switches such as
// \l or \o "tip" around it are passed over); empty for other fields.
std::u16string HyperlinkTarget(std::u16string_view instruction)
{
    instruction = Trimmed(instruction);
    constexpr std::u16string_view keyword = u"HYPERLINK";
    if (instruction.size() < keyword.size())
        return {};
    for (std::size_t i = 0; i < keyword.size(); ++i)
        if ((instruction[i] & ~0x20) != keyword[i])
            return {};
    std::u16string_view rest = instruction.substr(keyword.size());
    while (true) {
        rest = Trimmed(rest);
        if (rest.empty())
            return {};
        if (rest.front() == u'\\') { // a switch; \o and \t carry a quoted argument we skip with the next pass
            const auto end = rest.find(u' ');
            rest = end == rest.npos ? std::u16string_view() : rest.substr(end);
            continue;
        }
        if (rest.front() != u'"')
            return std::u16string(rest.substr(0, rest.find(u' ')));
        std::u16string target; // quoted: \" and \\ stand for themselves
        for (std::size_t i = 1; i < rest.size() && rest[i] != u'"'; ++i) {
            if (rest[i] == u'\\' && i + 1 < rest.size())
                ++i;
            target.push_back(rest[i]);
        }
        return target;
    }
}

enum class Destination : std::uint8_t { Text, Skip, FontTable, ColorTable, FieldInstruction, Numbering, Picture };

enum class Word : std::uint8_t {
    Unknown,
    Cf,
    Cb,
    Highlight,
    B,
    I,
    Ul,
    UlNone,
    Strike,
    Fs,
    F,
    Plain,
    Pard,
    Ql,
    Qc,
    Qr,
    Qj,
    Par,
    Line,
    Tab,
    U,
    Uc,
    Bin,
    Ansicpg,
    Fcharset,
    Cpg,
    Red,
    Green,
    Blue,
    Fonttbl,
    Colortbl,
    Field,
    Fldinst,
    Fldrslt,
    SkippedDestination,
    Pn, // the numbering of the paragraph, a destination
    PnKind, // its kind; `character` holds the TRtfNumbering
    Pict,
    PngBlip,
    PicW,
    PicH,
    Shppict, // a destination holding a \pict: read as its content
    Special, // a named character (\emdash, \bullet, ...)
};

struct WordInfo {
    Word word;
    char16_t character = 0; // for Special
};

const std::unordered_map<std::string_view, WordInfo>& Words()
{
    static const std::unordered_map<std::string_view, WordInfo> words = [] {
        std::unordered_map<std::string_view, WordInfo> w = {
            {"cf", {Word::Cf}},
            {"cb", {Word::Cb}},
            {"chcbpat", {Word::Cb}},
            {"highlight", {Word::Highlight}},
            {"b", {Word::B}},
            {"i", {Word::I}},
            {"ulnone", {Word::UlNone}},
            {"strike", {Word::Strike}},
            {"striked", {Word::Strike}},
            {"fs", {Word::Fs}},
            {"f", {Word::F}},
            {"plain", {Word::Plain}},
            {"pard", {Word::Pard}},
            {"ql", {Word::Ql}},
            {"qc", {Word::Qc}},
            {"qr", {Word::Qr}},
            {"qj", {Word::Qj}},
            {"par", {Word::Par}},
            {"sect", {Word::Par}},
            {"page", {Word::Par}},
            {"row", {Word::Par}},
            {"line", {Word::Line}},
            {"tab", {Word::Tab}},
            {"cell", {Word::Tab}},
            {"u", {Word::U}},
            {"uc", {Word::Uc}},
            {"bin", {Word::Bin}},
            {"ansicpg", {Word::Ansicpg}},
            {"fcharset", {Word::Fcharset}},
            {"cpg", {Word::Cpg}},
            {"red", {Word::Red}},
            {"green", {Word::Green}},
            {"blue", {Word::Blue}},
            {"fonttbl", {Word::Fonttbl}},
            {"colortbl", {Word::Colortbl}},
            {"field", {Word::Field}},
            {"fldinst", {Word::Fldinst}},
            {"fldrslt", {Word::Fldrslt}},
            {"pn", {Word::Pn}},
            {"pndec", {Word::PnKind, char16_t(TRtfNumbering::Decimal)}},
            {"pnlvlblt", {Word::PnKind, char16_t(TRtfNumbering::Bullet)}},
            {"pnucrm", {Word::PnKind, char16_t(TRtfNumbering::UpperRoman)}},
            {"pnlcrm", {Word::PnKind, char16_t(TRtfNumbering::LowerRoman)}},
            {"pnucltr", {Word::PnKind, char16_t(TRtfNumbering::UpperAlpha)}},
            {"pnlcltr", {Word::PnKind, char16_t(TRtfNumbering::LowerAlpha)}},
            {"pict", {Word::Pict}},
            {"pngblip", {Word::PngBlip}},
            {"picwgoal", {Word::PicW}},
            {"pichgoal", {Word::PicH}},
            {"shppict", {Word::Shppict}},
            {"emdash", {Word::Special, 0x2014}},
            {"endash", {Word::Special, 0x2013}},
            {"emspace", {Word::Special, 0x2003}},
            {"enspace", {Word::Special, 0x2002}},
            {"qmspace", {Word::Special, 0x2005}},
            {"bullet", {Word::Special, 0x2022}},
            {"lquote", {Word::Special, 0x2018}},
            {"rquote", {Word::Special, 0x2019}},
            {"ldblquote", {Word::Special, 0x201C}},
            {"rdblquote", {Word::Special, 0x201D}},
            {"zwj", {Word::Special, 0x200D}},
            {"zwnj", {Word::Special, 0x200C}},
        };
        for (std::string_view underline : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash",
                 "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave"})
            w.emplace(underline, WordInfo{Word::Ul});
        // Destinations that hold no text of the document.
        for (std::string_view skipped : {"stylesheet", "info", "pntext", "pntxta", "pntxtb", "header", "headerl",
                 "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "footnote", "object", "listtable",
                 "listoverridetable", "revtbl", "filetbl", "rsidtbl", "nonshppict", "xe", "tc", "txe", "private",
                 "themedata", "colorschememapping", "datastore", "latentstyles", "generator", "xmlnstbl", "pgdsctbl"})
            w.emplace(skipped, WordInfo{Word::SkippedDestination});
        return w;
    }();
    return words;
}

WordInfo LookUp(std::string_view name)
{
    if (name.size() == 2 && name[0] == 'c' && name[1] == 'f') // the highlighters write one before every token
        return {Word::Cf};
    const auto& words = Words();
    const auto found = words.find(name);
    return found == words.end() ? WordInfo{Word::Unknown} : found->second;
}

// Deeper groups are counted but not stacked: their formatting is not read.
constexpr std::size_t kMaxDepth = 512;
// More fonts or colours than this are not kept (their indices read as "not given").
constexpr std::size_t kMaxTableEntries = 32768;
constexpr int kMaxName = 32;
// PNG data beyond this is not kept, and the picture is dropped.
constexpr std::size_t kMaxPictureBytes = 32u << 20;

struct GroupState {
    TRtfCharFormat format;
    TRtfAlignment alignment = TRtfAlignment::Left;
    TRtfNumbering numbering = TRtfNumbering::None;
    Destination destination = Destination::Text;
    std::uint8_t unicodeSkip = 1;
};

class Reader {
public:
    Reader(std::string_view rtf, IRtfSink& sink) : in_(rtf), sink_(sink) { run_.reserve(4096); }

    void Read()
    {
        while (pos_ < in_.size()) {
            const char c = in_[pos_];
            if (c == '\\') {
                ++pos_;
                ControlWord();
            } else if (c == '{') {
                ++pos_;
                OpenGroup();
            } else if (c == '}') {
                ++pos_;
                if (!CloseGroup()) {
                    DropClosingBlank();
                    break;
                }
            } else {
                PlainBytes();
            }
        }
        FlushRun();
        if (state_.numbering != TRtfNumbering::None)
            sink_.ParagraphNumbering(state_.numbering);
        sink_.End(state_.alignment);
    }

private:
    void PlainBytes()
    {
        while (pos_ < in_.size()) {
            const auto c = static_cast<unsigned char>(in_[pos_]);
            if (c == '\\' || c == '{' || c == '}')
                return;
            ++pos_;
            if (c == '\r' || c == '\n')
                continue;
            if (skipCount_ > 0) {
                --skipCount_;
                continue;
            }
            if (c < 0x80)
                Put(c);
            else
                PutByte(c);
        }
    }

    // The highlighters end a document with " }": that blank closes the
    // document and is not part of its text.
    void DropClosingBlank()
    {
        if (!run_.empty() && run_.back() == u' ' && pos_ >= 2 && in_[pos_ - 2] == ' ')
            run_.pop_back();
    }

    void OpenGroup()
    {
        skipCount_ = 0;
        starPending_ = false;
        if (stack_.size() >= kMaxDepth) {
            ++overflow_;
            return;
        }
        stack_.push_back(state_);
    }

    // False at the brace that closes the document.
    bool CloseGroup()
    {
        skipCount_ = 0;
        starPending_ = false;
        if (overflow_ > 0) {
            --overflow_;
            return true;
        }
        if (stack_.empty())
            return false;
        if (state_.destination == Destination::FontTable)
            EndFontEntry();
        const Destination closed = state_.destination;
        state_ = stack_.back();
        stack_.pop_back();
        // The numbering group sets a paragraph property of the group around it.
        if (closed == Destination::Numbering && state_.destination != Destination::Numbering)
            state_.numbering = numbering_;
        if (closed == Destination::Picture && state_.destination != Destination::Picture)
            EndPicture();
        return true;
    }

    void ControlWord()
    {
        if (pos_ >= in_.size())
            return;
        const char first = in_[pos_];
        if (!IsLetter(first)) {
            ++pos_;
            ControlSymbol(first);
            return;
        }
        const std::size_t nameStart = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_]))
            ++pos_;
        const std::string_view name = in_.substr(nameStart, pos_ - nameStart);
        bool hasParameter = false;
        std::int64_t parameter = 0;
        bool negative = false;
        if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        while (pos_ < in_.size() && IsDigit(in_[pos_])) {
            hasParameter = true;
            if (parameter < std::numeric_limits<std::int32_t>::max())
                parameter = parameter * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        parameter = std::min<std::int64_t>(parameter, std::numeric_limits<std::int32_t>::max());
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
        const bool star = std::exchange(starPending_, false);
        if (skipCount_ > 0) {
            --skipCount_;
            return;
        }
        const int value = static_cast<int>(negative ? -parameter : parameter);
        const WordInfo info = name.size() > kMaxName ? WordInfo{Word::Unknown} : LookUp(name);
        if (star && info.word != Word::Fldinst && info.word != Word::Pn && info.word != Word::Shppict) {
            state_.destination = Destination::Skip;
            return;
        }
        Apply(info, hasParameter, value);
    }

    void ControlSymbol(char symbol)
    {
        if (symbol == '*') {
            starPending_ = true;
            return;
        }
        if (skipCount_ > 0) {
            if (symbol == '\'')
                SkipHexDigits();
            --skipCount_;
            return;
        }
        switch (symbol) {
        case '\\':
        case '{':
        case '}':
            Put(static_cast<unsigned char>(symbol));
            break;
        case '~':
            Put(0x00A0);
            break;
        case '_':
            Put(0x2011);
            break;
        case '\'':
            HexByte();
            break;
        case '\r':
        case '\n':
            ParagraphBreak();
            break;
        default:
            break; // \- optional hyphen, \| \: index marks
        }
    }

    void SkipHexDigits()
    {
        for (int i = 0; i < 2 && pos_ < in_.size() && IsHexDigit(in_[pos_]); ++i)
            ++pos_;
    }

    void HexByte()
    {
        if (pos_ + 2 > in_.size() || !IsHexDigit(in_[pos_]) || !IsHexDigit(in_[pos_ + 1])) {
            SkipHexDigits();
            return;
        }
        const int byte = HexValue(in_[pos_]) * 16 + HexValue(in_[pos_ + 1]);
        pos_ += 2;
        if (byte < 0x80)
            Put(static_cast<char16_t>(byte));
        else
            PutByte(static_cast<unsigned char>(byte));
    }

    void Apply(const WordInfo& info, bool hasParameter, int value)
    {
        if (state_.destination == Destination::Skip && info.word != Word::Bin)
            return;
        TRtfCharFormat& format = state_.format;
        const bool on = !hasParameter || value != 0;
        switch (info.word) {
        case Word::Cf:
            format.Foreground = ColorIndex(value);
            break;
        case Word::Cb:
        case Word::Highlight:
            format.Background = value > 0 ? ColorIndex(value) : -1;
            break;
        case Word::B:
            format.Bold = on;
            break;
        case Word::I:
            format.Italic = on;
            break;
        case Word::Ul:
            format.Underline = on;
            break;
        case Word::UlNone:
            format.Underline = false;
            break;
        case Word::Strike:
            format.StrikeOut = on;
            break;
        case Word::Fs:
            format.HalfPoints = std::clamp(value, 0, 3276);
            break;
        case Word::F:
            SelectFont(value);
            break;
        case Word::Plain:
            format = TRtfCharFormat{.Link = format.Link};
            break;
        case Word::Pard:
            state_.numbering = TRtfNumbering::None;
            state_.alignment = TRtfAlignment::Left;
            break;
        case Word::Ql:
            state_.alignment = TRtfAlignment::Left;
            break;
        case Word::Qc:
            state_.alignment = TRtfAlignment::Center;
            break;
        case Word::Qr:
            state_.alignment = TRtfAlignment::Right;
            break;
        case Word::Qj:
            state_.alignment = TRtfAlignment::Justify;
            break;
        case Word::Par:
            ParagraphBreak();
            break;
        case Word::Line:
            Put(0x2028);
            break;
        case Word::Tab:
            Put(u'\t');
            break;
        case Word::Special:
            Put(info.character);
            break;
        case Word::U:
            if (!hasParameter)
                break;
            Put(value < -32768 || value > 65535 ? char16_t(0xFFFD)
                                                : static_cast<char16_t>(value < 0 ? value + 65536 : value));
            skipCount_ = state_.unicodeSkip;
            break;
        case Word::Uc:
            state_.unicodeSkip = static_cast<std::uint8_t>(std::clamp(value, 0, 16));
            break;
        case Word::Bin:
            pos_ += std::min<std::size_t>(std::max(value, 0), in_.size() - pos_);
            break;
        case Word::Ansicpg:
            if (value > 0)
                tables_.CodePage = value;
            break;
        case Word::Fcharset:
            if (state_.destination == Destination::FontTable && font_.CodePage == 0)
                font_.CodePage = CodePageOfCharset(value);
            break;
        case Word::Cpg:
            if (state_.destination == Destination::FontTable && value > 0)
                font_.CodePage = value;
            break;
        case Word::Red:
            color_.Red = ColorComponent(value);
            break;
        case Word::Green:
            color_.Green = ColorComponent(value);
            break;
        case Word::Blue:
            color_.Blue = ColorComponent(value);
            break;
        case Word::Fonttbl:
            state_.destination = Destination::FontTable;
            break;
        case Word::Colortbl:
            state_.destination = Destination::ColorTable;
            color_ = {};
            break;
        case Word::Field:
            fieldInstruction_.clear();
            break;
        case Word::Fldinst:
            fieldInstruction_.clear();
            state_.destination = Destination::FieldInstruction;
            break;
        case Word::Fldrslt:
            StartFieldResult();
            break;
        case Word::SkippedDestination:
            state_.destination = Destination::Skip;
            break;
        case Word::Pn:
            state_.destination = Destination::Numbering;
            numbering_ = TRtfNumbering::Decimal;
            break;
        case Word::PnKind:
            if (state_.destination == Destination::Numbering)
                numbering_ = static_cast<TRtfNumbering>(info.character);
            break;
        case Word::Pict:
            if (state_.destination != Destination::Text)
                break;
            FlushRun();
            state_.destination = Destination::Picture;
            picture_.clear();
            pictureNibble_ = -1;
            pictureWidth_ = pictureHeight_ = 0;
            picturePng_ = pictureOverflow_ = false;
            break;
        case Word::PngBlip:
            picturePng_ = state_.destination == Destination::Picture;
            break;
        case Word::PicW:
            if (state_.destination == Destination::Picture)
                pictureWidth_ = std::max(value, 0) / 15; // twips to pixels at 96 dots per inch
            break;
        case Word::PicH:
            if (state_.destination == Destination::Picture)
                pictureHeight_ = std::max(value, 0) / 15;
            break;
        case Word::Shppict:
            break;
        case Word::Unknown:
            break;
        }
    }

    std::uint8_t ColorComponent(int value)
    {
        color_.Automatic = false;
        return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    }

    std::int32_t ColorIndex(int value) const
    {
        return value >= 0 && static_cast<std::size_t>(value) < tables_.Colors.size() ? value : -1;
    }

    void SelectFont(int number)
    {
        if (state_.destination == Destination::FontTable) {
            EndFontEntry();
            font_ = {};
            font_.Number = number;
            fontOpen_ = true;
            return;
        }
        const auto found = fontIndex_.find(number);
        state_.format.Font = found == fontIndex_.end() ? -1 : found->second;
    }

    void EndFontEntry()
    {
        if (!fontOpen_)
            return;
        fontOpen_ = false;
        std::u16string_view name = Trimmed(fontName_);
        if (!name.empty() && name.back() == u';')
            name.remove_suffix(1);
        if (tables_.Fonts.size() < kMaxTableEntries && !fontIndex_.contains(font_.Number)) {
            AppendUtf8(Trimmed(name), font_.Name);
            fontIndex_.emplace(font_.Number, static_cast<std::int32_t>(tables_.Fonts.size()));
            tables_.Fonts.push_back(std::move(font_));
        }
        font_ = {};
        fontName_.clear();
    }

    void StartFieldResult()
    {
        state_.destination = Destination::Text;
        const std::u16string target = HyperlinkTarget(fieldInstruction_);
        if (target.empty())
            return;
        std::string link;
        AppendUtf8(target, link);
        state_.format.Link = static_cast<std::int32_t>(tables_.Links.size());
        tables_.Links.push_back(std::move(link));
    }

    void EndPicture()
    {
        if (picturePng_ && !pictureOverflow_ && !picture_.empty())
            sink_.Picture(picture_, pictureWidth_, pictureHeight_,
                state_.format.Link >= 0 ? std::string_view(tables_.Links[state_.format.Link]) : std::string_view());
        picture_.clear();
        picture_.shrink_to_fit();
    }

    void PictureDigit(char16_t c)
    {
        const char digit = c < 0x80 ? static_cast<char>(c) : 0;
        if (!IsHexDigit(digit) || pictureOverflow_)
            return;
        if (pictureNibble_ < 0) {
            pictureNibble_ = HexValue(digit);
            return;
        }
        if (picture_.size() >= kMaxPictureBytes) {
            pictureOverflow_ = true;
            return;
        }
        picture_.push_back(static_cast<char>(pictureNibble_ * 16 + HexValue(digit)));
        pictureNibble_ = -1;
    }

    void ParagraphBreak()
    {
        if (state_.destination != Destination::Text)
            return;
        FlushRun();
        if (state_.numbering != TRtfNumbering::None)
            sink_.ParagraphNumbering(state_.numbering);
        sink_.ParagraphBreak(state_.alignment);
    }

    // A byte of the current code page: the document's, or the current font's.
    void PutByte(unsigned char byte)
    {
        int codePage = tables_.CodePage;
        if (state_.format.Font >= 0 && tables_.Fonts[state_.format.Font].CodePage != 0)
            codePage = tables_.Fonts[state_.format.Font].CodePage;
        if (codePage != decoder_.CodePage())
            decoder_.SetCodePage(codePage);
        decoded_.clear();
        decoder_.Put(byte, decoded_);
        for (char16_t c : decoded_)
            Put(c);
    }

    void Put(char16_t c)
    {
        switch (state_.destination) {
        case Destination::Text:
            if (!run_.empty() && !(state_.format == runFormat_))
                FlushRun();
            if (run_.empty())
                runFormat_ = state_.format;
            run_.push_back(c);
            if (run_.size() >= kRunChunk)
                FlushRun();
            break;
        case Destination::FontTable:
            if (!fontOpen_) { // a table whose entries carry no \f: numbered in order
                font_ = {};
                font_.Number = static_cast<std::int32_t>(tables_.Fonts.size());
                fontOpen_ = true;
            }
            if (c == u';')
                EndFontEntry();
            else
                fontName_.push_back(c);
            break;
        case Destination::ColorTable:
            if (c == u';') {
                if (tables_.Colors.size() < kMaxTableEntries)
                    tables_.Colors.push_back(color_);
                color_ = {};
            }
            break;
        case Destination::FieldInstruction:
            if (fieldInstruction_.size() < 4096)
                fieldInstruction_.push_back(c);
            break;
        case Destination::Picture:
            PictureDigit(c);
            break;
        case Destination::Numbering:
        case Destination::Skip:
            break;
        }
    }

    void FlushRun()
    {
        if (run_.empty())
            return;
        sink_.Text(run_, runFormat_, tables_);
        run_.clear();
    }

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
    static int HexValue(char c) { return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }

    // A run longer than this goes to the sink in pieces, so that memory
    // stays bounded on a document in one format.
    static constexpr std::size_t kRunChunk = 1 << 16;

    std::string_view in_;
    std::size_t pos_ = 0;
    IRtfSink& sink_;
    TRtfTables tables_;
    GroupState state_;
    std::vector<GroupState> stack_;
    std::size_t overflow_ = 0;
    int skipCount_ = 0;
    bool starPending_ = false;
    std::u16string run_;
    TRtfCharFormat runFormat_;
    TCodePageDecoder decoder_;
    std::u16string decoded_;
    TRtfFont font_;
    std::u16string fontName_;
    bool fontOpen_ = false;
    std::unordered_map<std::int32_t, std::int32_t> fontIndex_;
    TRtfColor color_;
    std::u16string fieldInstruction_;
    TRtfNumbering numbering_ = TRtfNumbering::None; // read inside the \pn group
    std::string picture_;
    int pictureNibble_ = -1;
    int pictureWidth_ = 0, pictureHeight_ = 0;
    bool picturePng_ = false, pictureOverflow_ = false;
};

} // namespace

bool IsRtf(std::string_view data) { return data.starts_with("{\\rtf"); }

bool ReadRtf(std::string_view rtf, IRtfSink& sink)
{
    if (!IsRtf(rtf))
        return false;
    Reader(rtf.substr(1), sink).Read();
    return true;
}

TCodePageDecoder::TCodePageDecoder() = default;

TCodePageDecoder::~TCodePageDecoder()
{
    if (iconv_)
        iconv_close(static_cast<iconv_t>(iconv_));
}

void TCodePageDecoder::SetCodePage(int codePage)
{
    if (iconv_)
        iconv_close(static_cast<iconv_t>(iconv_));
    iconv_ = nullptr;
    codePage_ = codePage;
    pendingLength_ = 0;
    if (codePage == 1252)
        return;
    const std::string name = codePage == 65001 ? "UTF-8" : "CP" + std::to_string(codePage);
    const iconv_t converter = iconv_open("UTF-16LE", name.c_str());
    if (converter != reinterpret_cast<iconv_t>(-1))
        iconv_ = converter;
}

void TCodePageDecoder::Put(unsigned char byte, std::u16string& out)
{
    if (iconv_) {
        PutThroughIconv(byte, out);
        return;
    }
    out.push_back(byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : char16_t(byte));
}

void TCodePageDecoder::PutThroughIconv(unsigned char byte, std::u16string& out)
{
    pending_[pendingLength_++] = static_cast<char>(byte);
    char16_t converted[4];
    char* input = pending_;
    std::size_t inputLeft = pendingLength_;
    char* output = reinterpret_cast<char*>(converted);
    std::size_t outputLeft = sizeof converted;
    const auto converter = static_cast<iconv_t>(iconv_);
    const std::size_t result = iconv(converter, &input, &inputLeft, &output, &outputLeft);
    if (result == static_cast<std::size_t>(-1) && errno == EINVAL && pendingLength_ < sizeof pending_)
        return; // a lead byte: wait for the rest of the character
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    const std::size_t produced = (sizeof converted - outputLeft) / sizeof(char16_t);
    if (result == static_cast<std::size_t>(-1) && produced == 0)
        out.push_back(0xFFFD);
    else
        out.append(converted, produced);
    pendingLength_ = 0;
}
