// The download cache: entries found only by their exact address, kept under
// names of their own inside the cache folder whatever the address holds,
// replaced by a newer download, and cleared with a report of what went.
#include "platform/inet/UrlCache.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

class UrlCache : public ::testing::Test {
protected:
    // A downloaded file with the given content, outside the cache.
    QString download(const QString& name, const QByteArray& content)
    {
        const QString file = downloads.filePath(name);
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
        return file;
    }

    static QByteArray contentOf(const QString& file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    QTemporaryDir downloads;
    QString cacheFolder = folder.filePath(QStringLiteral("Cache/Files"));
    TUrlCache cache{cacheFolder};
};

TEST_F(UrlCache, EntriesAreFoundByTheirExactAddressInsideTheCacheFolder)
{
    const QString hostile[] = {
        QStringLiteral("http://a.test/file.zip"),
        QStringLiteral("http://a.test/../../../../etc/passwd"),
        QStringLiteral("http://a.test/dir/"),
        QStringLiteral("http://a.test/%2e%2e%2fescape"),
        QStringLiteral("file:///tmp/x\n.y"),
    };
    for (const QString& url : hostile) {
        SCOPED_TRACE(url.toStdString());
        ASSERT_TRUE(cache.Store(url, download(QStringLiteral("f"), url.toUtf8()))) << cache.LastError().toStdString();
        const auto entry = cache.Find(url);
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(QFileInfo(entry->LocalFile).absolutePath(), QDir(cacheFolder).absolutePath());
        EXPECT_FALSE(entry->LocalFile.contains(QStringLiteral("passwd")));
        EXPECT_EQ(contentOf(entry->LocalFile), url.toUtf8());
        EXPECT_EQ(entry->Size, url.toUtf8().size());
    }
    EXPECT_FALSE(cache.Find(QStringLiteral("HTTP://A.TEST/file.zip"))) << "letter case counts";
    EXPECT_FALSE(cache.Find(QStringLiteral("http://a.test/file.zip/")));
    EXPECT_EQ(cache.Entries().size(), std::size(hostile));
}

TEST_F(UrlCache, ANewerDownloadReplacesTheEntryAndOutlivesItsSource)
{
    const QString url = QStringLiteral("http://a.test/report");
    ASSERT_TRUE(cache.Store(url, download(QStringLiteral("report"), "first")));
    const QString second = download(QStringLiteral("report (2)"), "second, longer");
    ASSERT_TRUE(cache.Store(url, second));

    ASSERT_EQ(cache.Entries().size(), 1u);
    EXPECT_EQ(cache.Find(url)->Size, 14);
    QFile::remove(second);
    EXPECT_EQ(contentOf(cache.Find(url)->LocalFile), "second, longer");
}

TEST_F(UrlCache, ClearingDeletesEveryEntryAndSaysWhatWent)
{
    const TUrlCacheCleared empty = cache.Clear();
    EXPECT_EQ(empty.Entries, 0);
    EXPECT_EQ(empty.Bytes, 0);

    const QString kept = download(QStringLiteral("a"), "12345");
    ASSERT_TRUE(cache.Store(QStringLiteral("http://a.test/a"), kept));
    ASSERT_TRUE(cache.Store(QStringLiteral("http://a.test/b"), download(QStringLiteral("b"), "678")));
    const QString cachedA = cache.Find(QStringLiteral("http://a.test/a"))->LocalFile;
    ASSERT_TRUE(QFile::remove(cache.Find(QStringLiteral("http://a.test/b"))->LocalFile));
    EXPECT_FALSE(cache.Find(QStringLiteral("http://a.test/b"))) << "an entry whose file went is not found";

    const TUrlCacheCleared cleared = cache.Clear();
    EXPECT_EQ(cleared.Entries, 2);
    EXPECT_EQ(cleared.Bytes, 5) << "only bytes that were still there count";
    EXPECT_TRUE(cache.Entries().empty());
    EXPECT_FALSE(QFileInfo::exists(cachedA));
    EXPECT_EQ(contentOf(kept), "12345") << "the downloaded file itself stays";
}

TEST_F(UrlCache, NothingIsKeptForAMissingFileOrAnEmptyAddress)
{
    EXPECT_FALSE(cache.Store(QStringLiteral("http://a.test/gone"), downloads.filePath(QStringLiteral("gone"))));
    EXPECT_FALSE(cache.LastError().isEmpty());
    EXPECT_FALSE(cache.Store(QString(), download(QStringLiteral("x"), "x")));
    EXPECT_TRUE(cache.Entries().empty());
}

} // namespace
