// zarn-print as a user runs it: text, HTML and RTF files to PDF, checked with
// pdfinfo and pdftotext; the margins, the title, a selection, and the runs
// that print nothing or are called wrongly.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TRun {
    int status = -1;
    QString output;
};

TRun Execute(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(60000);
    return {
        process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromUtf8(process.readAll())};
}

class ZarnPrintTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "poppler-utils are not installed";
    }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    TRun Print(const QStringList& arguments) { return Execute(QStringLiteral(ZARN_PRINT), arguments); }

    QTemporaryDir dir;
};

TEST_F(ZarnPrintTool, PrintsEachKindOfFileWithItsMarginsAndTitle)
{
    const struct {
        const char* name;
        QByteArray content;
        QString text;
    } cases[] = {
        {"a.txt", "First line here\nsecond <b>line</b>\n\n  \n", "First line here second <b>line</b>"},
        {"a.html", "<html><body><p>First line here</p><p><b>bold</b> words</p></body></html>",
            "First line here bold words"},
        {"a.rtf", "{\\rtf1\\ansi First line here\\par {\\b bold} caf\\'e9}", "First line here bold caf\u00e9"},
    };
    for (const auto& c : cases) {
        const QString in = Write(QString::fromLatin1(c.name), c.content);
        const QString out = dir.filePath(QStringLiteral("out.pdf"));
        const TRun run = Print({in, QStringLiteral("-o"), out});
        ASSERT_EQ(run.status, 0) << c.name << run.output.toStdString();
        EXPECT_EQ(Execute(QStringLiteral("pdftotext"), {out, QStringLiteral("-")}).output.simplified(), c.text)
            << c.name;
        const QString info = Execute(QStringLiteral("pdfinfo"), {out}).output;
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title: +First line here\\n")))) << c.name;
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages: +1\\n")))) << c.name;
        // The first word sits 1" from the left and 1.5" from the top.
        const QString box
            = Execute(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), out, QStringLiteral("-")}).output;
        const auto word = QRegularExpression(QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"")).match(box);
        ASSERT_TRUE(word.hasMatch()) << c.name;
        EXPECT_NEAR(word.captured(1).toDouble(), 72.0, 0.5) << c.name;
        EXPECT_NEAR(word.captured(2).toDouble(), 108.0, 3.0) << c.name;
    }
}

TEST_F(ZarnPrintTool, LongTextsBreakIntoPagesWithEveryLineOnce)
{
    QByteArray text;
    for (int i = 1; i <= 1000; ++i)
        text += "line " + QByteArray::number(i) + "\n";
    const QString out = dir.filePath(QStringLiteral("long.pdf"));
    ASSERT_EQ(Print({Write(QStringLiteral("long.txt"), text), QStringLiteral("-o"), out}).status, 0);
    const QString printed = Execute(QStringLiteral("pdftotext"), {out, QStringLiteral("-")}).output;
    EXPECT_EQ(printed.count(QRegularExpression(QStringLiteral("line \\d+"))), 1000);
    const auto pages = QRegularExpression(QStringLiteral("Pages: +(\\d+)"))
                           .match(Execute(QStringLiteral("pdfinfo"), {out}).output)
                           .captured(1)
                           .toInt();
    EXPECT_GE(pages, 15);
    EXPECT_LE(pages, 25);
}

TEST_F(ZarnPrintTool, SelectionsAndRunsThatPrintNothing)
{
    const QString in = Write(QStringLiteral("s.txt"), "Hello printed world\nsecond line   \n\n  \n");
    const QString out = dir.filePath(QStringLiteral("s.pdf"));
    ASSERT_EQ(Print({in, QStringLiteral("--selection"), QStringLiteral("6:13"), QStringLiteral("-o"), out}).status, 0);
    EXPECT_EQ(Execute(QStringLiteral("pdftotext"), {out, QStringLiteral("-")}).output.simplified(), "printed");

    const QString none = dir.filePath(QStringLiteral("none.pdf"));
    const TRun blank = Print({in, QStringLiteral("--selection"), QStringLiteral("31:38"), QStringLiteral("-o"), none});
    EXPECT_EQ(blank.status, 1);
    EXPECT_TRUE(blank.output.contains(QStringLiteral("nothing to print")));
    EXPECT_FALSE(QFile::exists(none));
    EXPECT_EQ(Print({dir.filePath(QStringLiteral("missing.txt")), QStringLiteral("-o"), none}).status, 1);
    EXPECT_FALSE(QFile::exists(none));
    for (const QStringList& wrong :
        {QStringList{}, QStringList{in, QStringLiteral("--selection"), QStringLiteral("9:2")},
            QStringList{in, QStringLiteral("--selection"), QStringLiteral("x")}, QStringList{in, QStringLiteral("-o")},
            QStringList{in, in}})
        EXPECT_EQ(Print(wrong).status, 2) << wrong.join(u' ').toStdString();
}

} // namespace
