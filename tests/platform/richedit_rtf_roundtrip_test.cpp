// RTF through the document: the highlighters' RTF loads as the same text in
// the colours of its tokens; what the writer writes reads back as the same
// document; a word processor's RTF keeps its formatting.
#include "highlight/HighlightHTML.h"
#include "highlight/HighlightXML.h"
#include "platform/richedit/RtfDocument.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

QTextDocument* Load(QTextDocument& document, const QByteArray& rtf)
{
    QTextCursor cursor(&document);
    InsertRtf(cursor, std::string_view(rtf.constData(), static_cast<std::size_t>(rtf.size())));
    return &document;
}

QByteArray ReadFile(const QString& name)
{
    QFile file(QStringLiteral(ZARN_RICHEDIT_TEST_DATA "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

// The characters of a document with the format each one has, as a text per
// character: the character, then its attributes.
std::vector<std::string> CharacterFormats(const QTextDocument& document)
{
    std::vector<std::string> out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const auto alignment = static_cast<int>(RtfAlignment(block.blockFormat().alignment()));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            for (const QChar c : it.fragment().text()) {
                std::string d = QString(c).toStdString() + " a" + std::to_string(alignment);
                if (f.fontWeight() >= QFont::DemiBold)
                    d += " b";
                if (f.fontItalic())
                    d += " i";
                if (f.fontUnderline())
                    d += " u";
                if (f.fontStrikeOut())
                    d += " s";
                if (f.hasProperty(QTextFormat::ForegroundBrush))
                    d += " fg" + f.foreground().color().name().toStdString();
                if (f.hasProperty(QTextFormat::BackgroundBrush))
                    d += " bg" + f.background().color().name().toStdString();
                if (f.hasProperty(QTextFormat::FontFamilies))
                    d += " " + f.fontFamilies().toStringList().join(u',').toStdString();
                if (f.hasProperty(QTextFormat::FontPointSize))
                    d += " " + std::to_string(f.fontPointSize());
                if (f.isAnchor())
                    d += " link " + f.anchorHref().toStdString();
                out.push_back(d);
            }
        }
        out.push_back("<par> a" + std::to_string(alignment));
    }
    return out;
}

// The colour each character of the source gets in a highlighter's RTF, read
// from the RTF text itself: every token is "\cfN token", a line break token
// is preceded by "\par ". Only for sources without \ { } and non-ASCII.
std::vector<std::string> TokenColours(const std::string& rtf)
{
    std::vector<QColor> table;
    const QString text = QString::fromStdString(rtf);
    const auto colortbl = QRegularExpression(QStringLiteral(R"(\{\\colortbl(.*?)\})")).match(text).captured(1);
    for (auto it = QRegularExpression(QStringLiteral(R"(\\red(\d+)\\green(\d+)\\blue(\d+);)")).globalMatch(colortbl);
         it.hasNext();) {
        const auto m = it.next();
        table.emplace_back(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    }
    std::vector<std::string> colours;
    const qsizetype start = text.indexOf(QStringLiteral("\\fs20\\f0 ")) + 9;
    const QString body = text.mid(start, text.lastIndexOf(QStringLiteral(" }")) - start);
    for (auto it = QRegularExpression(QStringLiteral(R"(\\cf(\d+) ([^\\]*))")).globalMatch(body); it.hasNext();) {
        const auto m = it.next();
        for (const QChar c : m.captured(2))
            if (c != u'\r' && c != u'\n')
                colours.push_back(table.at(m.captured(1).toInt()).name().toStdString());
    }
    return colours;
}

TEST(RtfRoundTrip, HighlighterOutputLoadsAsTheSameTextAndColours)
{
    const std::string sources[] = {
        "",
        "plain words",
        "<p class=\"x\">Hello <b>world</b></p>",
        "<!-- note -->\r\n<a href='u'>x</a>\r\n\r\n<br/>",
        "<script>\r\n// comment\r\nvar a = \"s\";\r\n</script>",
        "tab\there &amp; &lt;tag&gt;",
        "<?xml version=\"1.0\"?>\r\n<root a=\"1\"><![CDATA[ x ]]></root>",
    };
    for (const bool html : {true, false}) {
        for (const std::string& source : sources) {
            std::unique_ptr<THighlightRichSyntax> highlighter;
            if (html)
                highlighter = std::make_unique<THighlightHTML>();
            else
                highlighter = std::make_unique<THighlightXML>();
            highlighter->SetText(source);
            const std::string rtf = highlighter->GetRtf();
            QTextDocument document;
            Load(document, QByteArray::fromStdString(rtf));
            QString expectedText = QString::fromStdString(source);
            expectedText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            EXPECT_EQ(document.toPlainText().toStdString(), expectedText.toStdString()) << source;

            const std::vector<std::string> expected = TokenColours(rtf);
            std::vector<std::string> actual;
            for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
                for (auto it = block.begin(); !it.atEnd(); ++it)
                    for (qsizetype i = 0; i < it.fragment().text().size(); ++i)
                        actual.push_back(it.fragment().charFormat().foreground().color().name().toStdString());
            EXPECT_EQ(actual, expected) << source;
        }
    }
}

TEST(RtfRoundTrip, HighlighterSampleKeepsItsText)
{
    const QByteArray source = ReadFile(QStringLiteral("../../highlight/data/sample.html"));
    THighlightHTML highlighter;
    const std::string text = source.toStdString();
    highlighter.SetText(text);
    QTextDocument document;
    Load(document, QByteArray::fromStdString(highlighter.GetRtf()));
    QString expected = QString::fromUtf8(source);
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    expected.remove(u'\n'); // a lone line feed joins its lines; CR LF became paragraphs again below
    QString actual = document.toPlainText();
    actual.remove(u'\n');
    EXPECT_EQ(actual.toStdString(), expected.toStdString());
}

// Builds a document from (text, format, alignment) pieces; "\n" starts a paragraph.
struct Piece {
    QString text;
    std::function<void(QTextCharFormat&)> format{};
    Qt::Alignment alignment = Qt::AlignLeft;
};

void Build(QTextDocument& document, const std::vector<Piece>& pieces)
{
    QTextCursor cursor(&document);
    for (const Piece& piece : pieces) {
        QTextCharFormat format;
        if (piece.format)
            piece.format(format);
        const QStringList paragraphs = piece.text.split(u'\n');
        for (qsizetype i = 0; i < paragraphs.size(); ++i) {
            if (i > 0)
                cursor.insertBlock();
            QTextBlockFormat block = cursor.blockFormat();
            block.setAlignment(piece.alignment);
            cursor.setBlockFormat(block);
            cursor.insertText(paragraphs[i], format);
        }
    }
}

TEST(RtfRoundTrip, WriterOutputReadsBackAsTheSameDocument)
{
    const auto bold = [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); };
    const struct {
        const char* name;
        std::vector<Piece> pieces;
    } cases[] = {
        {"empty", {}},
        {"plain", {{"one line"}}},
        {"empty paragraphs", {{"\n\na\n\n"}}},
        {"styles",
            {{"b", bold}, {"i", [](QTextCharFormat& f) { f.setFontItalic(true); }},
                {"u", [](QTextCharFormat& f) { f.setFontUnderline(true); }},
                {"s", [](QTextCharFormat& f) { f.setFontStrikeOut(true); }},
                {"all",
                    [](QTextCharFormat& f) {
                        f.setFontWeight(QFont::Bold);
                        f.setFontItalic(true);
                        f.setFontUnderline(true);
                        f.setFontStrikeOut(true);
                    }}}},
        {"colours",
            {{"red", [](QTextCharFormat& f) { f.setForeground(QColor(255, 0, 0)); }},
                {"on yellow", [](QTextCharFormat& f) { f.setBackground(QColor(255, 255, 0)); }},
                {"red again", [](QTextCharFormat& f) { f.setForeground(QColor(255, 0, 0)); }},
                {"both",
                    [](QTextCharFormat& f) {
                        f.setForeground(QColor(1, 2, 3));
                        f.setBackground(QColor(250, 251, 252));
                    }}}},
        {"fonts and sizes",
            {{"mono", [](QTextCharFormat& f) { f.setFontFamilies(QStringList{"Courier New"}); }},
                {"big", [](QTextCharFormat& f) { f.setFontPointSize(18); }},
                {"half", [](QTextCharFormat& f) { f.setFontPointSize(10.5); }},
                {"sans", [](QTextCharFormat& f) { f.setFontFamilies(QStringList{"Arial"}); }}}},
        {"link",
            {{"see "},
                {"the page",
                    [](QTextCharFormat& f) {
                        f.setAnchor(true);
                        f.setAnchorHref("http://example.test/a?b=1&c=\"2\"");
                        f.setFontUnderline(true);
                    }},
                {" now"}}},
        {"alignment",
            {{"left\n"}, {"centre\n", {}, Qt::AlignHCenter}, {"right\n", {}, Qt::AlignRight},
                {"justified", {}, Qt::AlignJustify}}},
        {"characters", {{"\\ { } \t tab \u00A0 caf\u00E9 \u20AC \U0001F600 \u2028 after"}}},
        {"text that looks like control words", {{"\\par \\b not bold {\\*\\x}"}}},
    };
    for (const auto& c : cases) {
        QTextDocument original;
        Build(original, c.pieces);
        const QByteArray rtf = DocumentToRtf(original);
        QTextDocument reread;
        Load(reread, rtf);
        EXPECT_EQ(CharacterFormats(reread), CharacterFormats(original)) << c.name << "\n" << rtf.toStdString();
        EXPECT_EQ(DocumentToRtf(reread), rtf) << c.name;
    }
}

TEST(RtfRoundTrip, WriterOutputMatchesTheGoldenFile)
{
    QTextDocument document;
    Build(document,
        {{"Plain "}, {"bold", [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); }},
            {" red\n", [](QTextCharFormat& f) { f.setForeground(QColor(255, 0, 0)); }},
            {"centred caf\u00E9 {x}", {}, Qt::AlignHCenter}});
    EXPECT_EQ(DocumentToRtf(document).toStdString(), ReadFile(QStringLiteral("richedit_written.rtf")).toStdString());
}

TEST(RtfRoundTrip, WordProcessorDocumentKeepsItsFormatting)
{
    QTextDocument document;
    Load(document, ReadFile(QStringLiteral("richedit_libreoffice.rtf")));
    const QString text = document.toPlainText();
    EXPECT_EQ(text.toStdString(),
        std::string("Plain words, bold words, italic words and red words.\n"
                    "Centred on yellow with a caf\u00E9 and \u20AC.\na link and all four\n"));
    const auto formatAt = [&](const QString& word) {
        QTextCursor cursor(&document);
        cursor.setPosition(static_cast<int>(text.indexOf(word)) + 1);
        return cursor.charFormat();
    };
    EXPECT_EQ(formatAt("bold").fontWeight(), QFont::Bold);
    EXPECT_FALSE(formatAt("Plain").hasProperty(QTextFormat::FontWeight));
    EXPECT_TRUE(formatAt("italic").fontItalic());
    EXPECT_EQ(formatAt("red").foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatAt("yellow").background().color(), QColor(255, 255, 0));
    EXPECT_EQ(formatAt("link").anchorHref(), QStringLiteral("https://example.org/page"));
    EXPECT_EQ(formatAt("Plain").fontFamilies().toStringList(), QStringList{"Liberation Serif"});
    EXPECT_EQ(formatAt("Plain").fontPointSize(), 12);
    EXPECT_EQ(document.findBlockByNumber(1).blockFormat().alignment(), Qt::AlignHCenter);
}

} // namespace
