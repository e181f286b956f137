// zarn-form against loopback forms: the listing, a fill whose fields, click
// and file reach the server on a later submit, its exit statuses, and a
// hostile record (huge values, markup) that lands as text.
#include "FixtureServer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

const char* const Form = "<html><head><meta charset=utf-8></head><body><form id=f>"
                         "<input name=a value=old><input type=password name=pw value=secret>"
                         "<input type=radio name=r value=1><input type=radio name=r value=2>"
                         "<textarea name=notes></textarea><input type=file name=picture>"
                         "</form></body></html>";

class ZarnFormToolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new FixtureServer;
        server->server().Get(
            "/form", [](const httplib::Request&, httplib::Response& res) { res.set_content(Form, "text/html"); });
        server->server().Get("/empty", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body>no forms</body></html>", "text/html");
        });
        server->start();
    }
    static void TearDownTestSuite() { delete server; }

    static QString url(const char* path) { return QString::fromStdString(server->url(path)); }

    ToolRun run(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ZARNWEB_HOME"), profile.path());
        environment.insert(QStringLiteral("HOME"), profile.path());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ZARN_FORM_EXE), arguments);
        EXPECT_TRUE(process.waitForStarted());
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
    }

    QString write(const char* name, const QByteArray& content)
    {
        const QString path = profile.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    static inline FixtureServer* server = nullptr;
    QTemporaryDir profile;
};

TEST_F(ZarnFormToolTest, ListsTheFormsElementsWithThePasswordMasked)
{
    const ToolRun listed = run({"list", url("/form")});
    EXPECT_EQ(listed.ExitCode, 0) << listed.Err.toStdString();
    EXPECT_EQ(listed.Out,
        QStringLiteral("a - text - old\npw - password - ********\nr - radio - 1\nr - radio - 2\nnotes - textarea - \n"
                       "picture - file - \n"));
    const ToolRun empty = run({"list", url("/empty")});
    EXPECT_EQ(empty.ExitCode, 0);
    EXPECT_EQ(empty.Out, QString());
}

TEST_F(ZarnFormToolTest, FillsFieldsClicksAndAttachesAndSaysWhatFailed)
{
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::green);
    const QString file = profile.filePath(QStringLiteral("shot (1).png"));
    ASSERT_TRUE(picture.save(file));
    // Markup and a megabyte of text go in as text.
    const QByteArray huge(1024 * 1024, 'x');
    const QString record = write("record.json",
        "[[\"a\", \"<b>bold</b><script>alert(1)</script>\"], [\"notes\", \"" + huge + "\"], [\"absent\", \"z\"]]");

    const ToolRun filled = run({"fill", url("/form"), record, "--attach", "picture=" + file, "--click", "radio:r:2"});
    EXPECT_EQ(filled.ExitCode, 1) << filled.Err.toStdString(); // "absent" is not on the page
    EXPECT_EQ(filled.Out,
        QStringLiteral("clicked radio:r:2\nset a\nset notes\nnot set absent: the page has no such field\n"
                       "attached picture ")
            + file + u'\n');

    const QString ok = write("ok.json", "{\"a\": \"new\", \"notes\": 42}");
    const ToolRun whole = run({"fill", url("/form"), ok, "--attach", "picture=/nowhere/x.png", "--click", "radio:r:3"});
    EXPECT_EQ(whole.ExitCode, 1);
    EXPECT_TRUE(whole.Out.contains(QLatin1String("not clicked radio:r:3"))) << whole.Out.toStdString();
    EXPECT_TRUE(whole.Out.contains(QLatin1String("picture /nowhere/x.png: picture not attached (no such file)")))
        << whole.Out.toStdString();

    const ToolRun clean = run({"fill", url("/form"), ok});
    EXPECT_EQ(clean.ExitCode, 0) << clean.Err.toStdString();
    EXPECT_EQ(clean.Out, QStringLiteral("set a\nset notes\n"));
}

TEST_F(ZarnFormToolTest, RefusesBadCommandLinesAndRecordsBeforeLoading)
{
    const QStringList bad[] = {{}, {"list"}, {"fill", url("/form")}, {"list", url("/form"), "--click", "radio:r"},
        {"fill", url("/form"), "r.json", "--attach", "nofile"}, {"fill", url("/form"), "r.json", "--click", "radio"},
        {"fill", url("/form"), "r.json", "--click", "radio:r:0"}, {"type", url("/form")}};
    for (const QStringList& arguments : bad)
        EXPECT_EQ(run(arguments).ExitCode, 2) << arguments.join(' ').toStdString();
    const ToolRun notJson = run({"fill", url("/form"), write("bad.json", "{\"a\": [1]}")});
    EXPECT_EQ(notJson.ExitCode, 1);
    EXPECT_TRUE(notJson.Err.contains(QLatin1String("not a text or a number"))) << notJson.Err.toStdString();
    EXPECT_EQ(run({"fill", url("/form"), profile.filePath("missing.json")}).ExitCode, 1);
}

} // namespace
