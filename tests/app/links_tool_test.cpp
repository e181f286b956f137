// zarn-links against a loopback server: its lines in input order, its
// summary and exit status, and lists that are not what they should be.
#include "FixtureServer.h"
#include "TempHome.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

struct ToolRun {
    int ExitCode = -1;
    QStringList Lines;
    QString Err;
};

ToolRun runTool(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess tool;
    tool.start(ZARN_LINKS_EXE, arguments);
    EXPECT_TRUE(tool.waitForStarted());
    tool.write(input);
    tool.closeWriteChannel();
    EXPECT_TRUE(tool.waitForFinished(300000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    QString out = QString::fromUtf8(tool.readAllStandardOutput());
    QStringList lines = out.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return {tool.exitCode(), lines, QString::fromUtf8(tool.readAllStandardError())};
}

class LinksTool : public ::testing::Test {
protected:
    LinksTool()
    {
        auto& routes = server.server();
        routes.Get("/ok", [](const httplib::Request&, httplib::Response& r) { r.set_content("fine", "text/html"); });
        routes.Get("/moved", [](const httplib::Request&, httplib::Response& r) { r.set_redirect("/ok", 302); });
        routes.Get("/gone", [](const httplib::Request&, httplib::Response& r) {
            r.status = 404;
            r.set_content("no", "text/plain");
        });
        routes.Get("/slow", [](const httplib::Request&, httplib::Response& r) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            r.set_content("late", "text/plain");
        });
        server.start();
    }

    std::string Url(const char* path) const { return server.url(path); }

    TempHome home;
    FixtureServer server;
};

TEST_F(LinksTool, PrintsEveryAnswerInInputOrderAndFailsOnABrokenOne)
{
    const QByteArray list = QByteArray("\xEF\xBB\xBF") + Url("/slow").c_str() + "\r\n\r\n" + Url("/ok").c_str() + "\r\n"
        + Url("/moved").c_str() + "\n" + "file:///dev/zero\n";
    const ToolRun good = runTool({"--jobs", "3"}, list);
    ASSERT_EQ(good.Lines.size(), 4) << good.Lines.join('\n').toStdString();
    const QStringList slow = good.Lines[0].split('\t');
    ASSERT_EQ(slow.size(), 5);
    EXPECT_EQ(slow[0].toStdString(), Url("/slow"));
    EXPECT_EQ(slow[1], "Finished...");
    EXPECT_EQ(slow[2], "OK");
    const QStringList moved = good.Lines[2].split('\t');
    EXPECT_EQ(moved[1], "Finished...");
    EXPECT_EQ(moved[3].toStdString(), Url("/ok")) << "the final address";
    EXPECT_TRUE(good.Lines[3].startsWith("file:///dev/zero\tNot checked"));
    EXPECT_EQ(good.ExitCode, 0) << good.Err.toStdString();
    EXPECT_TRUE(good.Err.contains("3 checked, 0 broken")) << good.Err.toStdString();

    const QByteArray broken = QByteArray(Url("/ok").c_str()) + "\n" + Url("/gone").c_str() + "\nhttp://127.0.0.1:1/\n"
        + QByteArray("http://exa\0mple.com/\n", 21);
    const ToolRun bad = runTool({"-", "--csv", "--timeout", "5"}, broken);
    ASSERT_EQ(bad.Lines.size(), 5) << bad.Lines.join('\n').toStdString();
    EXPECT_EQ(bad.Lines[0], "url,status,result,final_url,seconds");
    EXPECT_TRUE(bad.Lines[2].contains(",Not Found,Not Found,")) << bad.Lines[2].toStdString();
    EXPECT_TRUE(bad.Lines[3].contains(",Error: ")) << bad.Lines[3].toStdString();
    EXPECT_TRUE(bad.Lines[4].contains(",Error: ")) << bad.Lines[4].toStdString();
    EXPECT_EQ(bad.ExitCode, 1);
    EXPECT_TRUE(bad.Err.contains("4 checked, 3 broken")) << bad.Err.toStdString();
}

TEST_F(LinksTool, ALongListIsCheckedOneLineEach)
{
    QByteArray list;
    for (int i = 0; i < 2000; ++i)
        list += QByteArray(Url(i % 2 ? "/ok" : "/moved").c_str()) + "\n";
    const ToolRun run = runTool({"--jobs", "16"}, list);
    EXPECT_EQ(run.Lines.size(), 2000);
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains("2000 checked, 0 broken")) << run.Err.toStdString();
}

TEST_F(LinksTool, BadUsageAndAMissingFile)
{
    EXPECT_EQ(runTool({"--jobs", "0"}).ExitCode, 2);
    EXPECT_EQ(runTool({"a", "b"}).ExitCode, 2);
    EXPECT_EQ(runTool({"--bogus"}).ExitCode, 2);
    EXPECT_EQ(runTool({"--help"}).ExitCode, 0);
    const ToolRun missing = runTool({home.path("nothing.txt")});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_TRUE(missing.Err.startsWith("zarn-links: cannot read")) << missing.Err.toStdString();
}

} // namespace
