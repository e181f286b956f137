// Header codes expanded per page, and headers and footers added as text to
// every page of a PDF (read back with pdftotext).
#include "platform/print/PageHeaderFooter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const PageFacts Facts{
    QStringLiteral("Title"), QStringLiteral("http://h/p"), 2, 5, QDateTime(QDate(2026, 12, 10), QTime(18, 5))};

TEST(HeaderCodes, ExpandToLeftCentreAndRightParts)
{
    const struct {
        const char* codes;
        QStringList parts;
    } cases[] = {
        {"&w", {"Title"}},
        {"&u&b&p/&P", {"http://h/p", "2/5"}},
        {"a&bb&bc", {"a", "b", "c"}},
        {"a&bb&bc&bd", {"a", "b", "cd"}},
        {"&&b and &&&w", {"&b and &Title"}},
        {"&x&", {"&x&"}},
        {"&T", {"18:05"}},
        {"", {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codes);
        EXPECT_EQ(ExpandHeaderCodes(QString::fromLatin1(c.codes), Facts), c.parts);
    }
}

TEST(HeaderFooterStamp, EveryPageGetsItsHeaderAndFooterAsText)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.pdf"));
    {
        QPdfWriter writer(path);
        QPainter painter(&writer);
        painter.drawText(QPointF(500, 2000), QStringLiteral("Body one"));
        writer.newPage();
        painter.drawText(QPointF(500, 2000), QStringLiteral("Body two"));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray pdf = file.readAll();
    file.close();
    ASSERT_TRUE(StampHeaderFooter(
        pdf, QStringLiteral("&w&bPage &p of &P"), QStringLiteral("(Foot) \\ &u"), Facts, {54, 54, 54, 54}));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(pdf);
    file.close();

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\f'));
    ASSERT_GE(pages.size(), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(pages[i].contains(i == 0 ? QStringLiteral("Body one") : QStringLiteral("Body two")));
        EXPECT_TRUE(pages[i].contains(QStringLiteral("Page %1 of 2").arg(i + 1))) << pages[i].toStdString();
        EXPECT_TRUE(pages[i].contains(QStringLiteral("(Foot) \\ http://h/p"))) << pages[i].toStdString();
    }
}

TEST(HeaderFooterStamp, AFileThatIsNoPdfIsLeftAlone)
{
    QByteArray notPdf("not a pdf at all");
    EXPECT_FALSE(StampHeaderFooter(notPdf, QStringLiteral("h"), QStringLiteral("f"), Facts, {}));
    EXPECT_EQ(notPdf, QByteArray("not a pdf at all"));
}

} // namespace
