// zarn-history: its listings beside a direct query of the same store, search
// and removal, and its exit statuses.
#include "TempHome.h"
#include "platform/inet/UrlHistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

ToolRun runTool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(ZARN_HISTORY_EXE, arguments);
    EXPECT_TRUE(tool.waitForStarted());
    EXPECT_TRUE(tool.waitForFinished(120000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
        QString::fromUtf8(tool.readAllStandardError())};
}

// The address column of each listed line.
QStringList addresses(const QString& out)
{
    QStringList urls;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
        urls << line.section('\t', 3);
    return urls;
}

class HistoryTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        TUrlHistory history;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        ASSERT_TRUE(history.AddVisits({
            {"http://b.test/old", "Old", now.addSecs(-120), 1},
            {"http://b.test/new", "Two\tcolumns\nand lines", now.addSecs(-60), 1},
            {"ftp://user:pw@a.test/", "", now.addSecs(-30), 1},
            {"http://c.test/", "C", now.addDays(-8), 1},
            {"http://c.test/", "C", now.addDays(-8), 1},
        }));
    }

    TempHome home;
};

TEST_F(HistoryTool, ListsByDaySiteAndVisitsWithTabSeparatedLines)
{
    const ToolRun byDay = runTool({"list"});
    EXPECT_EQ(byDay.ExitCode, 0) << byDay.Err.toStdString();
    const QStringList lines = byDay.Out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1].split('\t').size(), 4) << "tabs in titles do not make columns";
    EXPECT_EQ(lines[1].section('\t', 1, 3), "1\tTwo columns and lines\thttp://b.test/new");
    EXPECT_EQ(addresses(byDay.Out).last(), "http://c.test/") << "the older week last";
    EXPECT_EQ(addresses(byDay.Out).first(), "ftp://a.test/") << "no user name or password";

    EXPECT_EQ(addresses(runTool({"list", "--by", "site"}).Out),
        (QStringList{"ftp://a.test/", "http://b.test/new", "http://b.test/old", "http://c.test/"}));
    EXPECT_EQ(addresses(runTool({"list", "--by", "visits"}).Out).first(), "http://c.test/");
    EXPECT_EQ(
        addresses(runTool({"list", "--site", "B.TEST"}).Out), (QStringList{"http://b.test/new", "http://b.test/old"}));
    EXPECT_EQ(addresses(runTool({"list", "--day", "8"}).Out), QStringList{"http://c.test/"});
    EXPECT_EQ(addresses(runTool({"search", "OLD"}).Out), QStringList{"http://b.test/old"});
}

TEST_F(HistoryTool, RemovesByAddressSiteAndAge)
{
    EXPECT_EQ(runTool({"delete", "http://b.test/old"}).Out, "1 removed\n");
    const ToolRun missing = runTool({"delete", "http://b.test/old"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_TRUE(missing.Err.startsWith("zarn-history: ")) << missing.Err.toStdString();
    EXPECT_EQ(
        runTool({"delete", "--before", QDate::currentDate().addDays(-2).toString(Qt::ISODate)}).Out, "1 removed\n");
    EXPECT_EQ(runTool({"delete", "--site", "a.test"}).Out, "1 removed\n");
    EXPECT_EQ(addresses(runTool({"list"}).Out), QStringList{"http://b.test/new"});
}

TEST_F(HistoryTool, BadUsageGivesTwoAndAStoreItCannotReadOne)
{
    const QStringList badUsages[] = {{}, {"bogus"}, {"list", "--by", "week"}, {"list", "--day", "-1"}, {"search"},
        {"delete"}, {"delete", "http://x/", "--site", "x"}, {"delete", "--before", "yesterday"}};
    for (const QStringList& arguments : badUsages) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.ExitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.Err.contains("usage: zarn-history")) << run.Err.toStdString();
    }
    EXPECT_EQ(runTool({"--help"}).ExitCode, 0);

    const QString file = TUrlHistory::DefaultFile();
    QFile::remove(file + "-wal");
    QFile::remove(file + "-shm");
    QFile junk(file);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly | QIODevice::Truncate));
    junk.write(QByteArray(8192, 'x'));
    junk.close();
    const ToolRun broken = runTool({"list"});
    EXPECT_EQ(broken.ExitCode, 1);
    EXPECT_TRUE(broken.Out.isEmpty());
    EXPECT_TRUE(broken.Err.startsWith("zarn-history: ")) << broken.Err.toStdString();
}

} // namespace
