#include "platform/richedit/RtfDocument.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <unordered_map>

namespace {

struct FormatHash {
    std::size_t operator()(const TRtfCharFormat& f) const
    {
        std::uint64_t h = (f.Bold ? 1u : 0u) | (f.Italic ? 2u : 0u) | (f.Underline ? 4u : 0u) | (f.StrikeOut ? 8u : 0u);
        for (std::int32_t v : {f.Foreground, f.Background, f.Font, f.HalfPoints, f.Link})
            h = h * 0x9E3779B97F4A7C15ull + static_cast<std::uint32_t>(v);
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

QColor ColorOf(const TRtfTables& tables, std::int32_t index)
{
    if (index < 0)
        return {};
    const TRtfColor& c = tables.Colors[index];
    return c.Automatic ? QColor() : QColor(c.Red, c.Green, c.Blue);
}

// Inserts runs and paragraphs at a cursor; each distinct format is converted once.
class DocumentBuilder final : public IRtfSink {
public:
    explicit DocumentBuilder(QTextCursor& cursor)
        : cursor_(cursor), alignment_(RtfAlignment(cursor.blockFormat().alignment()))
    {}

    void Text(std::u16string_view text, const TRtfCharFormat& format, const TRtfTables& tables) override
    {
        cursor_.insertText(
            QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())), Convert(format, tables));
    }

    void ParagraphBreak(TRtfAlignment alignment) override
    {
        Align(alignment);
        Number();
        // The new paragraph starts outside any list: taking it out after
        // it joined costs the list a search through all its paragraphs.
        QTextBlockFormat next = cursor_.blockFormat();
        if (cursor_.currentList()) {
            next.setObjectIndex(-1);
            next.setIndent(0);
        }
        cursor_.insertBlock(next);
    }

    void End(TRtfAlignment lastAlignment) override
    {
        Align(lastAlignment);
        Number();
    }

    void ParagraphNumbering(TRtfNumbering numbering) override { numbering_ = numbering; }

    void Picture(std::string_view png, int width, int height, std::string_view link) override
    {
        QImage image;
        if (!image.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<qsizetype>(png.size()), "PNG"))
            return;
        QTextDocument* document = cursor_.document();
        const QUrl name = NewPictureName(*document);
        document->addResource(QTextDocument::ImageResource, name, image);
        QTextImageFormat format;
        format.setName(name.toString());
        if (width > 0 && height > 0 && (width != image.width() || height != image.height())) {
            format.setWidth(width);
            format.setHeight(height);
        }
        if (!link.empty()) {
            format.setAnchor(true);
            format.setAnchorHref(QString::fromUtf8(link.data(), static_cast<qsizetype>(link.size())));
        }
        cursor_.insertImage(format);
    }

private:
    // Consecutive paragraphs of one kind are one list, numbered on from 1.
    void Number()
    {
        const TRtfNumbering numbering = std::exchange(numbering_, TRtfNumbering::None);
        if (numbering == TRtfNumbering::None) {
            list_ = nullptr;
            return;
        }
        if (list_ && listKind_ == numbering && cursor_.block().previous().textList() == list_) {
            list_->add(cursor_.block());
            return;
        }
        list_ = cursor_.createList(NumberingFormat(numbering));
        listKind_ = numbering;
    }

    void Align(TRtfAlignment alignment)
    {
        if (alignment == alignment_)
            return;
        alignment_ = alignment;
        QTextBlockFormat block = cursor_.blockFormat();
        block.setAlignment(QtAlignment(alignment));
        cursor_.setBlockFormat(block);
    }

    const QTextCharFormat& Convert(const TRtfCharFormat& format, const TRtfTables& tables)
    {
        if (last_ && lastFormat_ == format)
            return *last_;
        auto [entry, added] = formats_.try_emplace(format);
        if (added) {
            QTextCharFormat& qt = entry->second;
            if (format.Bold)
                qt.setFontWeight(QFont::Bold);
            if (format.Italic)
                qt.setFontItalic(true);
            if (format.Underline)
                qt.setFontUnderline(true);
            if (format.StrikeOut)
                qt.setFontStrikeOut(true);
            if (const QColor c = ColorOf(tables, format.Foreground); c.isValid())
                qt.setForeground(c);
            if (const QColor c = ColorOf(tables, format.Background); c.isValid())
                qt.setBackground(c);
            if (format.Font >= 0)
                qt.setFontFamilies(QStringList{QString::fromStdString(tables.Fonts[format.Font].Name)});
            if (format.HalfPoints > 0)
                qt.setFontPointSize(format.HalfPoints / 2.0);
            if (format.Link >= 0) {
                qt.setAnchor(true);
                qt.setAnchorHref(QString::fromStdString(tables.Links[format.Link]));
            }
        }
        lastFormat_ = format;
        last_ = &entry->second;
        return *last_;
    }

    QTextCursor& cursor_;
    TRtfAlignment alignment_;
    TRtfNumbering numbering_ = TRtfNumbering::None;
    TRtfNumbering listKind_ = TRtfNumbering::None;
    QTextList* list_ = nullptr;
    std::unordered_map<TRtfCharFormat, QTextCharFormat, FormatHash> formats_;
    TRtfCharFormat lastFormat_;
    const QTextCharFormat* last_ = nullptr;
};

// Writes the body first and the tables afterwards, so the document is walked once.
class RtfWriter {
public:
    QByteArray Write(const QTextDocument& document)
    {
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            if (block != document.begin())
                body_ += "\\par\r\n";
            WriteBlock(block);
        }
        QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
        for (std::size_t i = 0; i < fonts_.size(); ++i)
            rtf += "{\\f" + QByteArray::number(static_cast<int>(i)) + "\\fnil " + Escaped(fonts_[i]) + ";}";
        rtf += "}\r\n{\\colortbl;";
        for (const QRgb rgb : colors_)
            rtf += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" + QByteArray::number(qGreen(rgb)) + "\\blue"
                + QByteArray::number(qBlue(rgb)) + ';';
        rtf += "}\r\n";
        rtf += body_;
        rtf += "}";
        return rtf;
    }

private:
    void WriteBlock(const QTextBlock& block)
    {
        body_ += "\\pard";
        const QTextList* list = block.textList();
        const TRtfNumbering numbering = list ? RtfNumbering(list->format().style()) : TRtfNumbering::None;
        switch (RtfAlignment(block.blockFormat().alignment())) {
        case TRtfAlignment::Left:
            break;
        case TRtfAlignment::Center:
            body_ += "\\qc";
            break;
        case TRtfAlignment::Right:
            body_ += "\\qr";
            break;
        case TRtfAlignment::Justify:
            body_ += "\\qj";
            break;
        }
        if (numbering != TRtfNumbering::None)
            WriteNumbering(numbering, *list, block); // ends with a group: no delimiter
        else
            body_ += ' ';
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            if (fragment.charFormat().isImageFormat()) {
                for (int i = 0; i < fragment.length(); ++i)
                    WritePicture(fragment.charFormat().toImageFormat(), *block.document());
                continue;
            }
            WriteFragment(fragment.text(), fragment.charFormat());
        }
    }

    // The number as text (\\pntext) comes first, for readers that do not number.
    void WriteNumbering(TRtfNumbering numbering, const QTextList& list, const QTextBlock& block)
    {
        static constexpr const char* kKinds[] = {"", "\\pnlvlbody\\pndec", "\\pnlvlblt", "\\pnlvlbody\\pnucrm",
            "\\pnlvlbody\\pnlcrm", "\\pnlvlbody\\pnucltr", "\\pnlvlbody\\pnlcltr"};
        const bool bullet = numbering == TRtfNumbering::Bullet;
        const QByteArray text = bullet ? QByteArray("\\u8226?") : Escaped(list.itemText(block));
        body_ += "\\fi-360\\li" + QByteArray::number(360 * std::max(1, list.format().indent()));
        body_
            += "{\\pntext " + text + "\\tab}{\\*\\pn" + kKinds[static_cast<int>(numbering)] + "\\pnstart1\\pnindent360";
        body_ += bullet ? "{\\pntxtb\\u8226?}}" : "{\\pntxta .}}";
    }

    void WritePicture(const QTextImageFormat& format, const QTextDocument& document)
    {
        const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(format.name()));
        const QImage image = resource.value<QImage>();
        if (image.isNull())
            return;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            return;
        // A file object: its picture stands in a link to the file.
        const bool link = format.isAnchor() && !format.anchorHref().isEmpty();
        if (link)
            body_
                += "{\\field{\\*\\fldinst{HYPERLINK \"" + Escaped(FieldQuoted(format.anchorHref())) + "\"}}{\\fldrslt{";
        const int width = format.width() > 0 ? qRound(format.width()) : image.width();
        const int height = format.height() > 0 ? qRound(format.height()) : image.height();
        // \\picwgoal is in twips: 15 to a pixel at 96 dots per inch.
        body_ += "{\\pict\\pngblip\\picw" + QByteArray::number(image.width()) + "\\pich"
            + QByteArray::number(image.height()) + "\\picwgoal" + QByteArray::number(width * 15) + "\\pichgoal"
            + QByteArray::number(height * 15) + "\r\n";
        const QByteArray hex = png.toHex();
        for (qsizetype at = 0; at < hex.size(); at += 128) {
            body_ += hex.mid(at, 128);
            body_ += "\r\n";
        }
        body_ += '}';
        if (link)
            body_ += "}}}";
    }

    void WriteFragment(const QString& text, const QTextCharFormat& format)
    {
        const bool link = format.isAnchor() && !format.anchorHref().isEmpty();
        if (link)
            body_
                += "{\\field{\\*\\fldinst{HYPERLINK \"" + Escaped(FieldQuoted(format.anchorHref())) + "\"}}{\\fldrslt{";
        body_ += "\\plain";
        if (format.hasProperty(QTextFormat::FontFamilies))
            body_ += "\\f" + QByteArray::number(FontNumber(format.fontFamilies().toStringList().value(0)));
        if (format.hasProperty(QTextFormat::FontPointSize))
            body_ += "\\fs" + QByteArray::number(qRound(format.fontPointSize() * 2));
        if (format.fontWeight() >= QFont::DemiBold)
            body_ += "\\b";
        if (format.fontItalic())
            body_ += "\\i";
        if (format.fontUnderline())
            body_ += "\\ul";
        if (format.fontStrikeOut())
            body_ += "\\strike";
        if (format.hasProperty(QTextFormat::ForegroundBrush))
            body_ += "\\cf" + QByteArray::number(ColorNumber(format.foreground().color()));
        if (format.hasProperty(QTextFormat::BackgroundBrush))
            body_ += "\\highlight" + QByteArray::number(ColorNumber(format.background().color()));
        body_ += ' ';
        body_ += Escaped(text);
        if (link)
            body_ += "}}}";
    }

    // A field argument in quotes: its quotes and backslashes get a backslash.
    static QString FieldQuoted(QString text)
    {
        text.replace(u'\\', QStringLiteral("\\\\"));
        text.replace(u'"', QStringLiteral("\\\""));
        return text;
    }

    static QByteArray Escaped(const QString& text)
    {
        QByteArray out;
        out.reserve(text.size());
        for (const QChar qc : text) {
            const char16_t c = qc.unicode();
            if (c == u'\\' || c == u'{' || c == u'}') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c == u'\t') {
                out += "\\tab ";
            } else if (c == 0x2028 || c == 0x2029) {
                out += "\\line ";
            } else if (c == 0x00A0) {
                out += "\\~";
            } else if (c == QChar::ObjectReplacementCharacter) {
                continue;
            } else if (c >= 0x20 && c < 0x80) {
                out += static_cast<char>(c);
            } else {
                out += "\\u" + QByteArray::number(static_cast<std::int16_t>(c)) + '?';
            }
        }
        return out;
    }

    int FontNumber(const QString& family)
    {
        const auto found = std::find(fonts_.begin(), fonts_.end(), family);
        if (found != fonts_.end())
            return static_cast<int>(found - fonts_.begin());
        fonts_.push_back(family);
        return static_cast<int>(fonts_.size()) - 1;
    }

    int ColorNumber(const QColor& color)
    {
        const QRgb rgb = color.rgb() & 0xFFFFFF;
        for (std::size_t i = 0; i < colors_.size(); ++i)
            if (colors_[i] == rgb)
                return static_cast<int>(i) + 1;
        colors_.push_back(rgb);
        return static_cast<int>(colors_.size());
    }

    QByteArray body_;
    std::vector<QString> fonts_;
    std::vector<QRgb> colors_;
};

} // namespace

QUrl NewPictureName(QTextDocument& document)
{
    // Counted on the document: asking it for a resource would load one.
    const int n = document.property("zarnPictures").toInt() + 1;
    document.setProperty("zarnPictures", n);
    return QUrl(QStringLiteral("zarn-picture:%1").arg(n));
}

TRtfNumbering RtfNumbering(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
        return TRtfNumbering::Decimal;
    case QTextListFormat::ListDisc:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListSquare:
        return TRtfNumbering::Bullet;
    case QTextListFormat::ListUpperRoman:
        return TRtfNumbering::UpperRoman;
    case QTextListFormat::ListLowerRoman:
        return TRtfNumbering::LowerRoman;
    case QTextListFormat::ListUpperAlpha:
        return TRtfNumbering::UpperAlpha;
    case QTextListFormat::ListLowerAlpha:
        return TRtfNumbering::LowerAlpha;
    default:
        return TRtfNumbering::None;
    }
}

QTextListFormat NumberingFormat(TRtfNumbering numbering)
{
    static constexpr QTextListFormat::Style kStyles[] = {QTextListFormat::ListStyleUndefined,
        QTextListFormat::ListDecimal, QTextListFormat::ListDisc, QTextListFormat::ListUpperRoman,
        QTextListFormat::ListLowerRoman, QTextListFormat::ListUpperAlpha, QTextListFormat::ListLowerAlpha};
    QTextListFormat format;
    format.setStyle(kStyles[static_cast<int>(numbering)]);
    format.setNumberSuffix(QStringLiteral("."));
    format.setIndent(1);
    return format;
}

TRtfAlignment RtfAlignment(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignHCenter)
        return TRtfAlignment::Center;
    if (alignment & Qt::AlignJustify)
        return TRtfAlignment::Justify;
    if (alignment & (Qt::AlignRight | Qt::AlignTrailing))
        return TRtfAlignment::Right;
    return TRtfAlignment::Left;
}

Qt::Alignment QtAlignment(TRtfAlignment alignment)
{
    switch (alignment) {
    case TRtfAlignment::Center:
        return Qt::AlignHCenter;
    case TRtfAlignment::Right:
        return Qt::AlignRight;
    case TRtfAlignment::Justify:
        return Qt::AlignJustify;
    case TRtfAlignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

void InsertRtf(QTextCursor& cursor, std::string_view rtf)
{
    cursor.beginEditBlock();
    DocumentBuilder builder(cursor);
    if (!ReadRtf(rtf, builder))
        cursor.insertText(QString::fromUtf8(rtf.data(), static_cast<qsizetype>(rtf.size())));
    cursor.endEditBlock();
}

QByteArray DocumentToRtf(const QTextDocument& document) { return RtfWriter().Write(document); }
