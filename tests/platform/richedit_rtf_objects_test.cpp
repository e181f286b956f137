// Numbered paragraphs and pictures through RTF: what the writer writes reads
// back as the same lists and images, and a reader written elsewhere (unrtf)
// shows the numbers and finds the picture.
#include "platform/richedit/RtfDocument.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QByteArray& bytes, std::ostream* out) { *out << '"' << bytes.toStdString() << '"'; }

namespace {

void Load(QTextDocument& document, const QByteArray& rtf)
{
    QTextCursor cursor(&document);
    InsertRtf(cursor, std::string_view(rtf.constData(), static_cast<std::size_t>(rtf.size())));
}

// Each paragraph as "<number as shown>|<text>", the number empty when none.
QStringList Paragraphs(const QTextDocument& document)
{
    QStringList out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString number;
        if (const QTextList* list = block.textList()) {
            number = list->format().style() == QTextListFormat::ListDisc ? QStringLiteral("*") : list->itemText(block);
        }
        out << number + u'|' + block.text();
    }
    return out;
}

// A document of the given paragraphs; "1:", "*:", "I:" in front number the
// paragraph; consecutive paragraphs with the same mark form one list.
void Build(QTextDocument& document, const QStringList& paragraphs)
{
    QTextCursor cursor(&document);
    QTextList* list = nullptr;
    QString lastKind;
    for (int i = 0; i < paragraphs.size(); ++i) {
        if (i > 0) {
            cursor.insertBlock(QTextBlockFormat());
        }
        QString text = paragraphs[i];
        QString kind;
        if (text.size() > 1 && text[1] == u':') {
            kind = text.left(1);
            text = text.mid(2);
        }
        cursor.insertText(text);
        if (kind.isEmpty()) {
            list = nullptr;
        } else if (list && kind == lastKind) {
            list->add(cursor.block());
        } else {
            const TRtfNumbering numbering = kind == u"1" ? TRtfNumbering::Decimal
                : kind == u"*"                           ? TRtfNumbering::Bullet
                                                         : TRtfNumbering::UpperRoman;
            list = cursor.createList(NumberingFormat(numbering));
        }
        lastKind = kind;
    }
}

QString UnrtfHtml(const QByteArray& rtf, const QString& folder)
{
    QFile file(folder + QStringLiteral("/in.rtf"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(rtf);
    file.close();
    QProcess unrtf;
    unrtf.setWorkingDirectory(folder);
    unrtf.start(QStringLiteral("unrtf"), {QStringLiteral("--html"), file.fileName()});
    EXPECT_TRUE(unrtf.waitForFinished(30000));
    QString html = QString::fromUtf8(unrtf.readAllStandardOutput());
    html = html.mid(html.indexOf(u"<body>"));
    html.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    html.replace(QStringLiteral("&bull;"), QStringLiteral("*"));
    return html.simplified();
}

bool HaveUnrtf() { return !QStandardPaths::findExecutable(QStringLiteral("unrtf")).isEmpty(); }

TEST(RtfNumbering, ListsReadBackAsTheSameNumbers)
{
    const std::vector<QStringList> cases = {
        {QStringLiteral("1:one"), QStringLiteral("1:two"), QStringLiteral("1:three")},
        {QStringLiteral("plain"), QStringLiteral("*:dot"), QStringLiteral("*:dot again"), QStringLiteral("after")},
        {QStringLiteral("I:a"), QStringLiteral("I:b"), QStringLiteral("I:c"), QStringLiteral("I:d")},
        // A break in the list starts the numbers again from 1.
        {QStringLiteral("1:x"), QStringLiteral("gap"), QStringLiteral("1:y"), QStringLiteral("I:z")},
        // The last paragraph numbered, and text that looks like RTF.
        {QStringLiteral("1:{\\pn} \\par"), QStringLiteral("1:caf\u00e9")},
    };
    for (const QStringList& paragraphs : cases) {
        QTextDocument written;
        Build(written, paragraphs);
        QTextDocument read;
        Load(read, DocumentToRtf(written));
        EXPECT_EQ(Paragraphs(read), Paragraphs(written)) << paragraphs.join(u',').toStdString();
        // Written again, the document is byte for byte what it was.
        EXPECT_EQ(DocumentToRtf(read), DocumentToRtf(written));
    }
}

TEST(RtfNumbering, ListFormatIsFromOneWithAFullStop)
{
    QTextDocument document;
    Build(document, {QStringLiteral("I:a"), QStringLiteral("I:b"), QStringLiteral("1:c")});
    QTextDocument read;
    Load(read, DocumentToRtf(document));
    EXPECT_EQ(Paragraphs(read), (QStringList{"I.|a", "II.|b", "1.|c"}));
    const QTextListFormat format = read.begin().textList()->format();
    EXPECT_EQ(format.style(), QTextListFormat::ListUpperRoman);
    EXPECT_EQ(format.numberSuffix(), QStringLiteral("."));
}

TEST(RtfNumbering, OtherReadersShowTheNumbers)
{
    if (!HaveUnrtf())
        GTEST_SKIP() << "unrtf is not installed";
    QTemporaryDir folder;
    QTextDocument document;
    Build(document,
        {QStringLiteral("1:one"), QStringLiteral("1:two"), QStringLiteral("I:three"), QStringLiteral("I:four"),
            QStringLiteral("*:five"), QStringLiteral("six")});
    const QString html = UnrtfHtml(DocumentToRtf(document), folder.path());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("1\\. +one.*2\\. +two.*I\\. +three.*II\\. +four.*\\* +five.*six"))
                    .match(html)
                    .hasMatch())
        << html.toStdString();
}

QImage TestPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 40 % 256, y * 70 % 256, (x + y) * 13 % 256, 255));
    return image;
}

void InsertPicture(QTextCursor& cursor, const QImage& image, int width = 0, int height = 0)
{
    const QUrl name = NewPictureName(*cursor.document());
    cursor.document()->addResource(QTextDocument::ImageResource, name, image);
    QTextImageFormat format;
    format.setName(name.toString());
    if (width > 0) {
        format.setWidth(width);
        format.setHeight(height);
    }
    cursor.insertImage(format);
}

// Each picture of the document in order, as the image it names and its size.
std::vector<std::pair<QImage, QSize>> Pictures(const QTextDocument& document)
{
    std::vector<std::pair<QImage, QSize>> out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()) {
                const QTextImageFormat f = it.fragment().charFormat().toImageFormat();
                const QImage image = document.resource(QTextDocument::ImageResource, QUrl(f.name()))
                                         .value<QImage>()
                                         .convertToFormat(QImage::Format_ARGB32);
                out.emplace_back(image, QSize(qRound(f.width()), qRound(f.height())));
            }
    return out;
}

TEST(RtfPictures, PicturesReadBackAsTheSameImagesInPlace)
{
    QTextDocument written;
    QTextCursor cursor(&written);
    cursor.insertText(QStringLiteral("before "));
    InsertPicture(cursor, TestPicture(7, 5));
    cursor.insertText(QStringLiteral(" between "));
    InsertPicture(cursor, TestPicture(3, 9), 30, 90);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("after"));
    QTextDocument read;
    Load(read, DocumentToRtf(written));
    // The picture stands as one object character where it stood.
    EXPECT_EQ(read.toPlainText(), written.toPlainText());
    const auto pictures = Pictures(read);
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].first, TestPicture(7, 5));
    EXPECT_EQ(pictures[1].first, TestPicture(3, 9));
    EXPECT_EQ(pictures[1].second, QSize(30, 90));
    EXPECT_EQ(DocumentToRtf(read), DocumentToRtf(written));
}

TEST(RtfPictures, BrokenOrForeignPicturesAreDropped)
{
    // Not PNG data, a metafile, an odd digit count, a picture inside the
    // alternative for old readers: the text around them stays.
    const QByteArray rtf = "{\\rtf1\\ansi a{\\pict\\pngblip 0011zz}b{\\pict\\wmetafile8 89504e47}c"
                           "{\\pict\\pngblip 8}d{\\*\\shppict{\\pict\\pngblip 00}}{\\nonshppict{\\pict\\pngblip 00}}e}";
    QTextDocument read;
    Load(read, rtf);
    EXPECT_EQ(read.toPlainText(), QStringLiteral("abcde"));
}

TEST(RtfPictures, OtherReadersFindThePicture)
{
    if (!HaveUnrtf())
        GTEST_SKIP() << "unrtf is not installed";
    QTemporaryDir folder;
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("see "));
    InsertPicture(cursor, TestPicture(6, 4));
    const QString html = UnrtfHtml(DocumentToRtf(document), folder.path());
    EXPECT_TRUE(html.contains(QStringLiteral("<img src=\"pict001.png\">"))) << html.toStdString();
    const QImage extracted(folder.filePath(QStringLiteral("pict001.png")));
    EXPECT_EQ(extracted.convertToFormat(QImage::Format_ARGB32), TestPicture(6, 4));
}

} // namespace
