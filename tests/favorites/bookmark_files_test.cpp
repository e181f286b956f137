// Exporting the favorites folder to a bookmark file and importing bookmark
// files into it, against real folders in a temporary home.
#include "favorites/ExportFavorite.h"
#include "favorites/ImportFavorite.h"
#include "platform/shell/ProgramLauncher.h"
#include "platform/shell/ShortcutFiles.h"

#include "ScriptedDialogs.h"
#include "TempHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStatusBar>

#include <gtest/gtest.h>

namespace {

const QByteArray Header = "<!-- Made with ZarnWeb -->\r\n"
                          "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n"
                          "\r\n"
                          "<TITLE>Exported Favorites</TITLE>\r\n"
                          "<H1>Exported Favorites</H1>\r\n"
                          "\r\n"
                          "<DL><P>\r\n";

// Records the addresses handed to the desktop instead of opening them.
class OpenedUrls final : public IProgramLauncher {
public:
    OpenedUrls() { SetProgramLauncher(this); }
    ~OpenedUrls() override { SetProgramLauncher(nullptr); }
    OpenedUrls(const OpenedUrls&) = delete;
    OpenedUrls& operator=(const OpenedUrls&) = delete;
    bool startDetached(const QString&, const QStringList&) override { return false; }
    bool openWithDesktop(const QUrl& url) override
    {
        urls << url;
        return true;
    }
    QList<QUrl> urls;
};

class BookmarkFiles : public ::testing::Test {
protected:
    BookmarkFiles()
    {
        QCoreApplication::setApplicationName(QStringLiteral("ZarnWeb"));
        QDir().mkpath(favorites);
        QDir().mkpath(out);
    }

    void addFavorite(const QString& relativePath, const QString& url) const
    {
        const QString file = favorites + QLatin1Char('/') + relativePath;
        QDir().mkpath(QFileInfo(file).absolutePath());
        ASSERT_TRUE(WriteInternetShortcutUrl(file, url)) << file.toStdString();
    }

    // Exports root into out/name; the errors raised are collected.
    bool exportTo(const QString& root, const QString& name = QStringLiteral("book.htm"))
    {
        TExportFavorite exporter;
        exporter.FavoritesPath = root;
        exporter.TargetPath = out;
        exporter.TargetFileName = name;
        exporter.OnError = collectError;
        return exporter.Execute();
    }

    QByteArray exported(const QString& name = QStringLiteral("book.htm")) const
    {
        QFile file(out + QLatin1Char('/') + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    void writeBookmarkFile(const QByteArray& bytes, const QString& name = QStringLiteral("in.htm")) const
    {
        QFile file(out + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    TImportFavorite& importer()
    {
        importer_.FavoritesPath = favorites;
        importer_.CurrentFilePath = out;
        importer_.CurrentFileName = QStringLiteral("in.htm");
        importer_.ShowSuccessMessage = false;
        importer_.OnError = collectError;
        return importer_;
    }

    // Every file and folder below the favorites folder, relative to it, sorted.
    QStringList tree() const
    {
        QStringList entries;
        QDirIterator it(
            favorites, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            entries << QDir(favorites).relativeFilePath(it.next());
        entries.sort();
        return entries;
    }

    QString imported(const QString& relativePath) const
    {
        return ReadInternetShortcutUrl(favorites + QStringLiteral("/Imported Bookmarks/") + relativePath);
    }

    TempHome home;
    const QString favorites = home.path(QStringLiteral("Favorites"));
    const QString out = home.path(QStringLiteral("out"));
    std::vector<std::pair<int, QString>> errors;
    TFavoriteErrorEvent collectError
        = [this](QObject*, const QString& message, unsigned char code) { errors.emplace_back(code, message); };
    TImportFavorite importer_;
};

TEST_F(BookmarkFiles, ExportWritesFavoritesThenEachFolderAfterItsParent)
{
    addFavorite(QStringLiteral("A.url"), QStringLiteral("http://a/"));
    addFavorite(QStringLiteral("F/B.url"), QStringLiteral("http://b/"));
    ASSERT_TRUE(exportTo(favorites));
    EXPECT_EQ(exported(),
        Header
            + "    <DT><A HREF=\"http://a/\">A</A><BR>\r\n"
              "\r\n"
              "    <DT><H3>F</H3>\r\n"
              "    <DL><P>\r\n"
              "        <DT><A HREF=\"http://b/\">B</A><BR>\r\n"
              "\r\n"
              "</DL><P>\r\n");
    EXPECT_TRUE(errors.empty());
}

TEST_F(BookmarkFiles, ExportClosesDeeperFoldersAndNestsSiblingsByWholeNames)
{
    addFavorite(QStringLiteral("Work/W1.url"), QStringLiteral("http://w1/"));
    addFavorite(QStringLiteral("Work/Old/O1.url"), QStringLiteral("http://o1/"));
    QDir().mkpath(favorites + QStringLiteral("/Work/Old/Older"));
    addFavorite(QStringLiteral("Work Projects/P1.url"), QStringLiteral("http://p1/?a=1&b=\"2\""));
    addFavorite(QStringLiteral("Work Projects/<b>Tom & \"Jerry\".URL"), QStringLiteral("http://t/"));
    ASSERT_TRUE(exportTo(favorites));
    EXPECT_EQ(exported(),
        Header
            + "\r\n"
              "    <DT><H3>Work</H3>\r\n"
              "    <DL><P>\r\n"
              "        <DT><A HREF=\"http://w1/\">W1</A><BR>\r\n"
              "\r\n"
              "        <DT><H3>Old</H3>\r\n"
              "        <DL><P>\r\n"
              "            <DT><A HREF=\"http://o1/\">O1</A><BR>\r\n"
              "\r\n"
              "            <DT><H3>Older</H3>\r\n"
              "            <DL><P>\r\n"
              "            </DL><P>\r\n"
              "\r\n"
              "        </DL><P>\r\n"
              "\r\n"
              "    </DL><P>\r\n"
              "\r\n"
              "\r\n"
              "    <DT><H3>Work Projects</H3>\r\n"
              "    <DL><P>\r\n"
              "        <DT><A HREF=\"http://t/\">&lt;b&gt;Tom &amp; &quot;Jerry&quot;</A><BR>\r\n"
              "        <DT><A HREF=\"http://p1/?a=1&amp;b=&quot;2&quot;\">P1</A><BR>\r\n"
              "\r\n"
              "</DL><P>\r\n");
}

TEST_F(BookmarkFiles, ExportThenImportThenExportGivesTheSameFile)
{
    addFavorite(QStringLiteral("Caf\u00e9 & Bar.url"), QStringLiteral("https://xn--caf-dma.example/?q=1&r=2"));
    addFavorite(QStringLiteral("News/Daily 2.url"), QStringLiteral("http://daily/2"));
    addFavorite(QStringLiteral("News/Daily 10.url"), QStringLiteral("http://daily/10"));
    addFavorite(QStringLiteral("News/World/\u4e16\u754c.url"), QStringLiteral("https://world/"));
    addFavorite(QStringLiteral("News Old/Archive.url"), QStringLiteral("http://archive/"));
    QFile(favorites + QStringLiteral("/Broken.url")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(exportTo(favorites));
    const QByteArray first = exported();
    EXPECT_TRUE(first.contains("<DT><A HREF=\"no path\">Broken</A><BR>"));

    QFile::copy(out + QStringLiteral("/book.htm"), out + QStringLiteral("/in.htm"));
    const QString copy = home.path(QStringLiteral("copy"));
    QDir().mkpath(copy);
    TImportFavorite& import = importer();
    import.FavoritesPath = copy;
    ASSERT_TRUE(import.Execute());
    EXPECT_EQ(import.ImportedCount(), 5);
    EXPECT_EQ(import.SkippedLinks(), QStringList{"not a web address: no path"});

    QFile(favorites + QStringLiteral("/Broken.url")).remove();
    ASSERT_TRUE(exportTo(favorites));
    const QByteArray withoutBroken = exported();
    ASSERT_TRUE(exportTo(copy + QStringLiteral("/Imported Bookmarks"), QStringLiteral("again.htm")));
    EXPECT_EQ(exported(QStringLiteral("again.htm")), withoutBroken);
}

TEST_F(BookmarkFiles, ExportFailuresAreReportedWithTheirCodes)
{
    QDir().mkpath(out + QStringLiteral("/taken.htm"));
    const struct {
        QString favoritesPath;
        QString targetPath;
        QString fileName;
        QString successMessage;
        int code;
        QString message;
    } cases[] = {
        {"", out, "a.htm", "ok", 104, "The Favorites Path is invalid."},
        {"/nonexistent/favorites", out, "a.htm", "ok", 104, "The Favorites Path is invalid."},
        {favorites, "/nonexistent/out", "a.htm", "ok", 101, "The target path is invalid.\n\rPlease change it."},
        {favorites, "", "a.htm", "ok", 101, "The target path is invalid.\n\rPlease change it."},
        {favorites, out, "", "ok", 102, "The target file name is invalid.\n\rPlease change it."},
        {favorites, out, "htm", "ok", 103,
            "The target file name extension is invalid. It must be \"*.htm\".\n\rPlease change it.\"*.htm\""},
        {favorites, out, "book.txt", "ok", 103,
            "The target file name extension is invalid. It must be \"*.htm\".\n\rPlease change it.\"*.htm\""},
        {favorites, out, "a.htm", " ", 105,
            "You must enter a SuccessMessage or turn off messages.\n\rPlease change it."},
        {favorites, out, "taken.htm", "ok", 102, "The target file name is invalid.\n\rPlease change it."},
    };
    for (const auto& c : cases) {
        errors.clear();
        TExportFavorite exporter;
        exporter.FavoritesPath = c.favoritesPath;
        exporter.TargetPath = c.targetPath;
        exporter.TargetFileName = c.fileName;
        exporter.SuccessMessage = c.successMessage;
        exporter.OnError = collectError;
        EXPECT_FALSE(exporter.Execute()) << c.fileName.toStdString();
        ASSERT_EQ(errors.size(), 1u) << c.fileName.toStdString();
        EXPECT_EQ(errors[0].first, c.code) << c.fileName.toStdString();
        EXPECT_EQ(errors[0].second, c.message);
    }
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/a.htm")));
    EXPECT_TRUE(QFileInfo(out + QStringLiteral("/taken.htm")).isDir());

    TExportFavorite disabled;
    disabled.Enabled = false;
    disabled.FavoritesPath = favorites;
    disabled.TargetPath = out;
    EXPECT_FALSE(disabled.Execute());
}

TEST_F(BookmarkFiles, ExportSuccessIsAnnouncedWithTheFilePath)
{
    ScriptedDialogs dialogs;
    OpenedUrls desktop;
    QStatusBar statusBar;
    QString announced;
    TExportFavorite exporter;
    exporter.FavoritesPath = favorites;
    exporter.TargetPath = out + QLatin1Char('/');
    exporter.StatusBar = &statusBar;
    exporter.NavigateOnComplete = true;
    exporter.ExploreFavFileOnComplete = true;
    exporter.OnSuccess = [&](QObject*, const QString& message) { announced = message; };
    ASSERT_TRUE(exporter.Execute());
    EXPECT_EQ(announced, "Your favorites have been successfully exported to " + out + "/newbook.htm");
    EXPECT_EQ(statusBar.currentMessage(), announced);
    EXPECT_EQ(dialogs.Texts(), QStringList{"Please assign a WebBrowser before using this feature."});
    EXPECT_EQ(desktop.urls, QList<QUrl>{QUrl::fromLocalFile(out + QLatin1Char('/'))});
}

// Links are followed only inside the favorites folder, once per target;
// every link left out is named with the reason.
TEST_F(BookmarkFiles, ExportFollowsLinksOnlyInsideTheFavoritesFolderOnce)
{
    addFavorite(QStringLiteral("F/B.url"), QStringLiteral("http://b/"));
    addFavorite(QStringLiteral("G/C.url"), QStringLiteral("http://c/"));
    const QString elsewhere = home.path(QStringLiteral("elsewhere"));
    QDir().mkpath(elsewhere);
    ASSERT_TRUE(WriteInternetShortcutUrl(elsewhere + QStringLiteral("/X.url"), QStringLiteral("http://x/")));
    ASSERT_TRUE(QFile::link(elsewhere, favorites + QStringLiteral("/Outside")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/"), favorites + QStringLiteral("/rootlink")));
    ASSERT_TRUE(QFile::link(elsewhere + QStringLiteral("/X.url"), favorites + QStringLiteral("/X.url")));
    ASSERT_TRUE(QFile::link(favorites + QStringLiteral("/G"), favorites + QStringLiteral("/F/ToG")));
    ASSERT_TRUE(QFile::link(favorites + QStringLiteral("/F/B.url"), favorites + QStringLiteral("/G/B2.url")));
    ASSERT_TRUE(QFile::link(favorites, favorites + QStringLiteral("/G/Loop")));
    ASSERT_TRUE(QFile::link(home.path(QStringLiteral("missing")), favorites + QStringLiteral("/Gone.url")));

    TExportFavorite exporter;
    exporter.FavoritesPath = favorites;
    exporter.TargetPath = home.path(QString());
    ASSERT_TRUE(exporter.Execute());
    QFile file(exporter.TargetFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray html = file.readAll();
    EXPECT_FALSE(html.contains("http://x/")) << html.toStdString();
    EXPECT_EQ(html.count("http://b/"), 2); // F/B and the link G/B2 to it
    EXPECT_EQ(html.count("http://c/"), 1); // under F/ToG only: G is that folder
    EXPECT_EQ(exporter.ExportedCount(), 3);
    QStringList skipped = exporter.SkippedLinks();
    skipped.sort();
    EXPECT_EQ(skipped,
        QStringList({"F/ToG/Loop: its folder is listed already", "G: its folder is listed already",
            "Gone.url: it leads nowhere", "Outside: it leads outside the favorites folder",
            "X.url: it leads outside the favorites folder", "rootlink: it leads outside the favorites folder"}));
}

TEST_F(BookmarkFiles, ImportCreatesFoldersAndFavoritesInTheSubFolder)
{
    ScriptedDialogs dialogs;
    writeBookmarkFile("<DL><p>\n"
                      "    <DT><A HREF=\"http://a/\">A</A>\n"
                      "    <DT><H3>F</H3>\n"
                      "    <DL><p>\n"
                      "        <DT><A HREF=\"https://b/\">B</A>\n"
                      "        <DT><A HREF=\"https://b2/\">B</A>\n"
                      "        <DT><A HREF=\"https://b3/\">B</A>\n"
                      "    </DL><p>\n"
                      "</DL><p>\n");
    TImportFavorite& import = importer();
    import.ShowSuccessMessage = true;
    ASSERT_TRUE(import.Execute());
    EXPECT_EQ(tree(),
        (QStringList{"Imported Bookmarks", "Imported Bookmarks/A.url", "Imported Bookmarks/F",
            "Imported Bookmarks/F/B (2).url", "Imported Bookmarks/F/B (3).url", "Imported Bookmarks/F/B.url"}));
    EXPECT_EQ(imported("A.url"), "http://a/");
    EXPECT_EQ(imported("F/B.url"), "https://b/");
    EXPECT_EQ(imported("F/B (2).url"), "https://b2/");
    EXPECT_EQ(imported("F/B (3).url"), "https://b3/");
    EXPECT_EQ(import.ImportedCount(), 4);
    EXPECT_EQ(dialogs.Texts(), QStringList{import.SuccessMessage});
}

TEST_F(BookmarkFiles, ImportReadsTheBookmarkFilesOtherBrowsersWrite)
{
    writeBookmarkFile(
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
        "<!-- This is an automatically generated file.\n"
        "     It will be read and overwritten.\n"
        "     DO NOT EDIT! -->\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'self'; img-src data: *\">\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
        "<TITLE>Bookmarks</TITLE>\n"
        "<H1>Bookmarks</H1>\n"
        "<DL><p>\n"
        "    <DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"2\" PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks bar</H3>\n"
        "    <DL><p>\n"
        "        <DT><A HREF=\"https://www.debian.org/\" ADD_DATE=\"1\" "
        "ICON=\"data:image/png;base64,iVBORw0KGgo=\">Debian &amp; friends</A>\n"
        "        <DD>Read about it at https://www.debian.org/intro/\n"
        "        <HR>\n"
        "        <DT><H3 ADD_DATE=\"1\">News</H3>\n"
        "        <DL><p>\n"
        "            <DT><A HREF=\"https://lwn.net/\" ADD_DATE=\"1\" TAGS=\"linux\">LWN.net</A>\n"
        "        </DL><p>\n"
        "    </DL><p>\n"
        "    <DT><A HREF=\"http://example.com/\" ADD_DATE=\"1\">Example</A>\n"
        "</DL><p>\n");
    ASSERT_TRUE(importer().Execute());
    EXPECT_EQ(tree(),
        (QStringList{"Imported Bookmarks", "Imported Bookmarks/Bookmarks bar",
            "Imported Bookmarks/Bookmarks bar/Debian & friends.url", "Imported Bookmarks/Bookmarks bar/News",
            "Imported Bookmarks/Bookmarks bar/News/LWN.net.url", "Imported Bookmarks/Example.url"}));
    EXPECT_EQ(imported("Bookmarks bar/News/LWN.net.url"), "https://lwn.net/");
    EXPECT_EQ(importer_.ImportedCount(), 3);
    EXPECT_EQ(importer_.SkippedCount(), 0);
}

TEST_F(BookmarkFiles, ImportFailuresAreReportedWithTheirCodes)
{
    writeBookmarkFile("<DT><A HREF=\"http://a/\">A</A>\n");
    const QString changeIt = QStringLiteral("\n\rPlease change it.");
    const struct {
        QString path;
        QString fileName;
        QString subFolder;
        QString successMessage;
        QString favoritesPath;
        int code;
        QString message;
    } cases[] = {
        {"", "in.htm", "Sub", "ok", "", 101, "The favorites file path is invalid." + changeIt},
        {out, "", "Sub", "ok", "", 102, "The Current file name is invalid." + changeIt},
        {out, "in.txt", "Sub", "ok", "", 103, "The target file name extention is invalid." + changeIt + "\"*.htm\""},
        {out, "in.htm", "", "ok", "", 104, "You must specify a proper sub folder name." + changeIt},
        {out, "in.htm", "../outside", "ok", "", 104, "You must specify a proper sub folder name." + changeIt},
        {out, "in.htm", "/abs", "ok", "", 104, "You must specify a proper sub folder name." + changeIt},
        {out, "in.htm", "Sub", "", "", 105, "You must enter a SuccessMessage or turn off messages." + changeIt},
        {out, "gone.htm", "Sub", "ok", "", 105,
            "The specified favorite file does not exist in the current path." + changeIt},
        {out, "in.htm", "Sub", "ok", "", 104, "You must specify a proper sub folder name." + changeIt},
    };
    for (const auto& c : cases) {
        errors.clear();
        TImportFavorite& import = importer();
        import.CurrentFilePath = c.path;
        import.CurrentFileName = c.fileName;
        import.TargetSubFolder = c.subFolder;
        import.SuccessMessage = c.successMessage;
        import.FavoritesPath = c.favoritesPath;
        EXPECT_FALSE(import.Execute()) << c.fileName.toStdString();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].first, c.code) << c.subFolder.toStdString();
        EXPECT_EQ(errors[0].second, c.message);
    }
    EXPECT_TRUE(tree().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(home.path(QStringLiteral("outside"))));

    TImportFavorite& disabled = importer();
    disabled.Enabled = false;
    EXPECT_FALSE(disabled.Execute());
}

TEST_F(BookmarkFiles, HostileBookmarkFilesStayInsideTheTarget)
{
    QByteArray file = "<DT><H3>..</H3>\n<DL><p>\n<DT><H3>../..</H3>\n<DL><p>\n"
                      "<DT><A HREF=\"http://evil/\">../../../escaped</A>\n"
                      "<DT><A HREF=\"http://evil/\"><script>alert(1)</script></A>\n"
                      "<DT><A HREF=\"http://evil/\">bad \xC3\x28 \xFF utf8</A>\n"
                      "<DT><A HREF=\"http://evil/&#10;[x]\">line break</A>\n"
                      "</DL><p>\n</DL><p>\n</DL><p>\n</DL><p>\n</DL><p>\n";
    for (int level = 0; level < 600; ++level)
        file += "<DT><H3>L</H3>\n<DL><p>\n";
    // Folders stop at the depth limit: the favorite goes into the deepest.
    file += "<DT><A HREF=\"https://deep/\">Deep</A>\n";
    writeBookmarkFile(file);
    TImportFavorite& import = importer();
    ASSERT_TRUE(import.Execute());
    EXPECT_EQ(import.ImportedCount(), 4);
    EXPECT_EQ(import.SkippedCount(), 1);
    const QStringList entries = tree();
    for (const QString& entry : entries)
        EXPECT_TRUE(entry.startsWith(QLatin1String("Imported Bookmarks"))) << entry.toStdString();
    EXPECT_EQ(entries.size(), 1 + 2 + 3 + kMaxBookmarkDepth + 1);
    EXPECT_TRUE(entries.contains("Imported Bookmarks/Favorite/-../Favorite.url"));
    EXPECT_TRUE(entries.contains("Imported Bookmarks/Favorite/-../-..-..-escaped.url"));
    EXPECT_TRUE(entries.contains("Imported Bookmarks/Favorite/-../bad \ufffd( \ufffd utf8.url"));
    EXPECT_EQ(imported(QStringList(kMaxBookmarkDepth, "L").join('/') + "/Deep.url"), "https://deep/");
    EXPECT_FALSE(QFileInfo::exists(home.path(QStringLiteral("escaped.url"))));
}

// Ten thousand nested folders, closed or never closed, and folder names
// whose path grows too long: no more folders than the limits allow, every
// favorite in the deepest folder that was made.
TEST_F(BookmarkFiles, DeepNestingStopsAtTheDepthAndPathLimits)
{
    const struct {
        const char* name;
        QByteArray open;
        QByteArray close;
        int levels;
        int folders; // -1: as many as the path limit allows
    } cases[] = {
        {"nested and closed", "<DT><H3>L</H3>\n<DL><p>\n", "</DL><p>\n", 10000, kMaxBookmarkDepth},
        {"never closed", "<DT><H3>L</H3>\n", "", 10000, kMaxBookmarkDepth},
        {"long names", "<DT><H3>" + QByteArray(200, 'n') + "</H3>\n<DL><p>\n", "</DL><p>\n", 1000, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(favorites).removeRecursively();
        QByteArray file;
        for (int level = 0; level < c.levels; ++level)
            file += c.open + "<DT><A HREF=\"http://l/" + QByteArray::number(level) + "\">F" + QByteArray::number(level)
                + "</A>\n";
        for (int level = 0; level < c.levels; ++level)
            file += c.close;
        file += "<DT><A HREF=\"http://top/\">Top</A>\n";
        writeBookmarkFile(file);
        TImportFavorite& import = importer();
        ASSERT_TRUE(import.Execute());
        EXPECT_EQ(import.ImportedCount(), c.levels + 1);
        QStringList folders;
        for (const QString& entry : tree()) {
            if (QFileInfo(favorites + '/' + entry).isDir())
                folders << entry;
        }
        const int made = int(folders.size()) - 1; // without "Imported Bookmarks"
        if (c.folders > 0)
            EXPECT_EQ(made, c.folders);
        else
            EXPECT_LT((favorites + '/' + folders.last()).toUtf8().size(), 3300);
        const QString deepestFolder = folders.last().mid(QStringLiteral("Imported Bookmarks/").size());
        EXPECT_EQ(deepestFolder.count('/') + 1, made);
        const QString last = QString::number(c.levels - 1);
        EXPECT_EQ(imported(deepestFolder + "/F" + last + ".url"), "http://l/" + last);
        EXPECT_EQ(imported(deepestFolder + "/F" + QString::number(made - 1) + ".url"),
            "http://l/" + QString::number(made - 1));
        if (!c.close.isEmpty())
            EXPECT_EQ(imported("Top.url"), "http://top/");
    }
}

// Many favorites of one title in one folder each get the next free number.
TEST_F(BookmarkFiles, RepeatedTitlesAreNumberedInTurn)
{
    QByteArray file;
    for (int n = 1; n <= 3000; ++n)
        file += "<DT><A HREF=\"http://same/" + QByteArray::number(n) + "\">Same</A>\n";
    writeBookmarkFile(file);
    TImportFavorite& import = importer();
    ASSERT_TRUE(import.Execute());
    EXPECT_EQ(import.ImportedCount(), 3000);
    EXPECT_EQ(tree().size(), 3001);
    EXPECT_FALSE(imported("Same.url").isEmpty());
    EXPECT_FALSE(imported("Same (2).url").isEmpty());
    EXPECT_FALSE(imported("Same (3000).url").isEmpty());
}

// Every link left out is counted, and each is named with the reason.
TEST_F(BookmarkFiles, EveryLinkLeftOutIsCountedWithItsReason)
{
    writeBookmarkFile("<DL><p>\n"
                      "<DT><A HREF=\"javascript:alert(1)\">script</A>\n"
                      "<DT><A HREF=\"file:///etc/passwd\">local</A>\n"
                      "<DT><A HREF=\"http://a/&#10;b\">line break</A>\n"
                      "<DT><A HREF=\"http://split/\nrest\">split</A>\n"
                      "<DT><A HREF=\"http://kept/\">Kept</A>\n"
                      "<DD>see http://not-a-link/\n"
                      "</DL><p>\n");
    TImportFavorite& import = importer();
    ASSERT_TRUE(import.Execute());
    EXPECT_EQ(import.ImportedCount(), 1);
    EXPECT_EQ(import.SkippedCount(), 4);
    EXPECT_EQ(import.SkippedLinks(),
        QStringList({"not a web address: javascript:alert(1)", "not a web address: file:///etc/passwd",
            "its address holds a line break or control character: http://a/ b",
            "its address does not end on its line: http://split/"}));
}

// An import that cannot write everything takes back all it made.
TEST_F(BookmarkFiles, FailedImportLeavesNoFolderOrFavorite)
{
    const QString target = favorites + QStringLiteral("/Imported Bookmarks");
    QDir().mkpath(target);
    QFile blocker(target + QStringLiteral("/Zed"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where a folder must go
    blocker.close();
    writeBookmarkFile("<DT><H3>A</H3>\n<DL><p>\n<DT><H3>B</H3>\n<DL><p>\n"
                      "<DT><A HREF=\"http://b/\">B</A>\n</DL><p>\n</DL><p>\n"
                      "<DT><H3>Zed</H3>\n<DL><p>\n<DT><A HREF=\"http://z/\">Z</A>\n</DL><p>\n");
    TImportFavorite& import = importer();
    EXPECT_FALSE(import.Execute());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, 106);
    EXPECT_EQ(import.ImportedCount(), 0);
    EXPECT_EQ(tree(), QStringList({"Imported Bookmarks", "Imported Bookmarks/Zed"}));
}

TEST_F(BookmarkFiles, ImportReadsAFiftyMegabyteFile)
{
    QByteArray file = "<DL><p>\n<DT><A HREF=\"http://first/\">First</A>\n";
    const QByteArray junk = QByteArray(1000, 'j') + '\n';
    while (file.size() < 40 * 1024 * 1024)
        file += junk;
    file += "<DT><A HREF=\"http://huge/\">" + QByteArray(10 * 1024 * 1024, 'T') + "</A>\n";
    file += "<DT><A HREF=\"http://last/\">Last</A>\n</DL><p>\n";
    writeBookmarkFile(file);
    TImportFavorite& import = importer();
    ASSERT_TRUE(import.Execute());
    EXPECT_EQ(import.ImportedCount(), 3);
    EXPECT_EQ(imported("Last.url"), "http://last/");
    EXPECT_EQ(imported(QString(251, QLatin1Char('T')) + ".url"), "http://huge/");
}

} // namespace
