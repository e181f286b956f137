// The rich-edit control: what streams in and out, address detection, the
// text limit, and file errors.
#include "platform/richedit/RichEdit.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QByteArray PngBytes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

TEST(RichEditControl, LoadsRichTextOnlyWithTheMarkAndOutsidePlainTextMode)
{
    const struct {
        bool plainMode;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {false, "{\\rtf1 {\\b x}\\par y}", "x\ny"},
        {false, "not rtf\r\nsecond", "not rtf\nsecond"},
        {false, " {\\rtf1 x}", " {\\rtf1 x}"},
        {true, "{\\rtf1 {\\b x}}", "{\\rtf1 {\\b x}}"},
        {true, "caf\xc3\xa9\rmac\nunix", "caf\u00e9\nmac\nunix"},
    };
    TRichEdit edit;
    for (const auto& c : cases) {
        edit.SetPlainText(c.plainMode);
        edit.LoadFromBytes(c.bytes);
        EXPECT_EQ(edit.DocumentText(), c.text) << c.bytes.toStdString();
        EXPECT_FALSE(edit.Modified());
        EXPECT_FALSE(edit.CanUndo());
    }
}

TEST(RichEditControl, SavesInItsMode)
{
    TRichEdit edit;
    edit.LoadFromBytes(QByteArray("{\\rtf1 {\\b bold}\\par plain}"));
    edit.SetPlainText(true);
    EXPECT_EQ(edit.SaveToBytes(), QByteArray("bold\nplain"));
    EXPECT_EQ(edit.Text(), QStringLiteral("bold\r\nplain"));
    edit.SetPlainText(false);
    EXPECT_TRUE(edit.SaveToBytes().contains("\\b bold"));
}

TEST(RichEditControl, DetectsWebAddressesAsLinks)
{
    const struct {
        QString text;
        int at;
        QString link; // empty: none
    } cases[] = {
        {"go to http://a.test/x?y=1. now", 8, "http://a.test/x?y=1"},
        {"(see www.example.test)", 6, "www.example.test"},
        {"mail mailto:me@a.test, ok", 7, "mailto:me@a.test"},
        {"ftp://files.test/a/b end", 0, "ftp://files.test/a/b"},
        {"plain words only", 3, ""},
        {"http://a.test x", 15, ""},
    };
    TRichEdit edit;
    edit.SetAutoUrlDetect(true);
    for (const auto& c : cases) {
        edit.SetPlainText(true);
        edit.LoadFromBytes(c.text.toUtf8());
        int start = -1, end = -1;
        const bool found = edit.LinkAt(c.at, start, end);
        EXPECT_EQ(found, !c.link.isEmpty()) << c.text.toStdString();
        if (found) {
            EXPECT_EQ(c.text.mid(start, end - start), c.link) << c.text.toStdString();
        }
    }
    edit.SetAutoUrlDetect(false);
    int start = 0, end = 0;
    EXPECT_FALSE(edit.LinkAt(8, start, end));
}

TEST(RichEditControl, DocumentLinksAreLinksWithoutDetection)
{
    TRichEdit edit;
    edit.LoadFromBytes(QByteArray("{\\rtf1 a {\\field{\\*\\fldinst HYPERLINK \"http://x.test\"}{\\fldrslt here}} b}"));
    int start = 0, end = 0;
    ASSERT_TRUE(edit.LinkAt(3, start, end));
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 6);
}

TEST(RichEditControl, TypingAndPastingStopAtTheTextLimit)
{
    TRichEdit edit;
    edit.SetTextLimit(5);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    QTest::keyClicks(&edit, QStringLiteral("abcdefg"));
    EXPECT_EQ(edit.DocumentText(), QStringLiteral("abcde"));
    edit.SetSel(1, 3);
    QApplication::clipboard()->setText(QStringLiteral("XYZW"));
    edit.paste();
    EXPECT_EQ(edit.DocumentText(), QStringLiteral("aXYde"));
    edit.SetPlainText(true);
    edit.LoadFromBytes(QByteArray("0123456789"));
    EXPECT_EQ(edit.DocumentText(), QStringLiteral("01234"));
}

TEST(RichEditControl, FileErrorsLeaveTheDocumentAndDiskUnchanged)
{
    QTemporaryDir dir;
    TRichEdit edit;
    edit.SetPlainText(true);
    edit.LoadFromBytes(QByteArray("kept"));
    EXPECT_THROW(edit.LoadFromFile(dir.filePath("missing.txt")), EFileError);
    EXPECT_THROW(edit.SaveToFile(dir.filePath("no/such/folder.txt")), EFileError);
    EXPECT_EQ(edit.DocumentText(), QStringLiteral("kept"));
    edit.SaveToFile(dir.filePath("saved.txt"));
    TRichEdit other;
    other.SetPlainText(true);
    other.LoadFromFile(dir.filePath("saved.txt"));
    EXPECT_EQ(other.DocumentText(), QStringLiteral("kept"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"saved.txt"});
}

TEST(RichEditControl, NamedLocalFilesAndDevicesAreNeverRead)
{
    QTemporaryDir dir;
    QImage big(50, 40, QImage::Format_RGB32);
    big.fill(Qt::red);
    ASSERT_TRUE(big.save(dir.filePath(QStringLiteral("big.png"))));
    const QString file = QUrl::fromLocalFile(dir.filePath(QStringLiteral("big.png"))).toString();
    TRichEdit edit;
    edit.document()->setBaseUrl(QUrl::fromLocalFile(dir.path() + u'/'));
    // A small data: picture is shown; the file, by full or relative name, and
    // a device give the placeholder. A FIFO read here would hang the test.
    ASSERT_EQ(::mkfifo(dir.filePath(QStringLiteral("fifo")).toLocal8Bit().constData(), 0600), 0);
    edit.setHtml(QStringLiteral("<img src=\"%1\"><img src=\"big.png\"><img src=\"fifo\"><img src=\"file:///dev/zero\">"
                                "<img src=\"data:image/png;base64,%2\">")
                     .arg(file, QString::fromLatin1(PngBytes(3, 2).toBase64())));
    edit.resize(300, 200);
    edit.show();
    QApplication::processEvents();
    const auto sizeOf = [&](const QString& name) {
        return edit.document()->resource(QTextDocument::ImageResource, QUrl(name)).value<QImage>().size();
    };
    EXPECT_EQ(sizeOf(file), QSize(16, 16));
    EXPECT_EQ(sizeOf(QStringLiteral("big.png")), QSize(16, 16));
    EXPECT_EQ(sizeOf(QStringLiteral("fifo")), QSize(16, 16));
    EXPECT_EQ(sizeOf(QStringLiteral("file:///dev/zero")), QSize(16, 16));
    EXPECT_EQ(
        sizeOf(QStringLiteral("data:image/png;base64,") + QString::fromLatin1(PngBytes(3, 2).toBase64())), QSize(3, 2));
}

} // namespace
