// zarn-favorites: listing, exporting and importing the profile's favorites
// folder, its summary lines and exit statuses.
#include "TempHome.h"

#include <QDir>
#include <QFile>
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
    tool.start(ZARN_FAVORITES_EXE, arguments);
    EXPECT_TRUE(tool.waitForStarted());
    EXPECT_TRUE(tool.waitForFinished(120000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
        QString::fromUtf8(tool.readAllStandardError())};
}

class FavoritesTool : public ::testing::Test {
protected:
    void writeFile(const QString& relativePath, const QByteArray& bytes) const
    {
        const QString path = home.path(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    TempHome home;
};

TEST_F(FavoritesTool, BadUsageExitsWithTwoAndHelpWithZero)
{
    const QStringList badUsages[] = {{}, {"bogus"}, {"export"}, {"import"}, {"list", "extra"}, {"list", "--into", "x"},
        {"export", "a.htm", "b.htm"}, {"import", "a.htm", "--into"}, {"export", "--recursive", "a.htm"}};
    for (const QStringList& arguments : badUsages) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.ExitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.Err.startsWith("usage: zarn-favorites")) << run.Err.toStdString();
    }
    const ToolRun help = runTool({"list", "--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.contains("Exit status")) << help.Out.toStdString();
}

TEST_F(FavoritesTool, ExportsImportsAndListsTheProfileFavorites)
{
    writeFile("profile/Favorites/Zarn.url", "[InternetShortcut]\r\nURL=https://zarn.example/\r\n");
    writeFile("profile/Favorites/Work/Wiki.url", "[InternetShortcut]\r\nURL=http://wiki.example/\r\n");

    const ToolRun exported = runTool({"export", home.path("book.htm")});
    EXPECT_EQ(exported.ExitCode, 0) << exported.Err.toStdString();
    EXPECT_EQ(exported.Out, "2 exported to " + home.path("book.htm") + "\n");

    QFile book(home.path("book.htm"));
    ASSERT_TRUE(book.open(QIODevice::Append));
    book.write("<DT><A HREF=\"javascript:alert(1)\">http://trap</A>\r\n");
    book.close();
    const ToolRun imported = runTool({"import", home.path("book.htm"), "--into", "Copy"});
    EXPECT_EQ(imported.ExitCode, 0) << imported.Err.toStdString();
    EXPECT_EQ(imported.Out, "2 imported, 1 skipped\n");

    EXPECT_EQ(runTool({"list"}).Out, "Copy/\nLinks/\nWork/\nZarn\thttps://zarn.example/\n1 favorites, 3 folders\n");
}

TEST_F(FavoritesTool, FailuresExitWithOneAndSayWhy)
{
    const struct {
        QStringList arguments;
        QString error;
    } cases[] = {
        {{"export", "/nonexistent/book.htm"},
            "zarn-favorites: The target path is invalid. Please change it. (error 101)\n"},
        {{"export", home.path("book.txt")},
            "zarn-favorites: The target file name extension is invalid. It must be \"*.htm\". Please "
            "change it.\"*.htm\" (error 103)\n"},
        {{"import", home.path("missing.htm")},
            "zarn-favorites: The specified favorite file does not exist in the "
            "current path. Please change it. (error 105)\n"},
        {{"import", home.path("missing.htm"), "--into", "../up"},
            "zarn-favorites: You must specify a proper sub folder name. Please change it. (error 104)\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = runTool(c.arguments);
        EXPECT_EQ(run.ExitCode, 1) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.Err, c.error);
        EXPECT_TRUE(run.Out.isEmpty());
    }
}

} // namespace
