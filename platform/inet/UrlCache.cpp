#include "platform/inet/UrlCache.h"

#include "platform/inet/SqliteStore.h"
#include "platform/registry/Profile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <unistd.h>

namespace {

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS entries(
  url TEXT PRIMARY KEY NOT NULL,
  file TEXT NOT NULL,
  size INTEGER NOT NULL,
  stored INTEGER NOT NULL);
)";

const char* const kIndexName = "index.sqlite";

// Links or copies source to a temporary name in the cache folder and moves
// it over target.
bool placeCopy(const QString& source, const QString& target, qint64 size)
{
    const QString temporary = target + QStringLiteral(".") + QUuid::createUuid().toString(QUuid::Id128);
    const bool placed = ::link(QFile::encodeName(source).constData(), QFile::encodeName(temporary).constData()) == 0
        || (size <= TUrlCache::MaxCopiedSize && QFile::copy(source, temporary));
    if (!placed)
        return false;
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    QFile::remove(temporary);
    return false;
}

std::function<qint64()>& httpCacheClearHandler()
{
    static std::function<qint64()> handler;
    return handler;
}

} // namespace

TUrlCache::TUrlCache(QString folder)
    : folder_(std::move(folder)),
      store_(std::make_unique<SqliteStore>(folder_ + QLatin1Char('/') + QLatin1String(kIndexName), kSchema))
{}

TUrlCache::~TUrlCache() = default;

QString TUrlCache::DefaultFolder() { return ProfileFolder() + QStringLiteral("/Cache/Files"); }

QString TUrlCache::LastError() const { return store_->LastError(); }

QString TUrlCache::fileFor(const QString& url) const
{
    return folder_ + QLatin1Char('/')
        + QString::fromLatin1(QCryptographicHash::hash(url.toUtf8(), QCryptographicHash::Sha256).toHex());
}

bool TUrlCache::Store(const QString& url, const QString& file)
{
    const QFileInfo source(file);
    if (url.isEmpty() || !source.isFile())
        return store_->Fail(QStringLiteral("nothing to keep for %1").arg(url.left(80)));
    sqlite3* db = store_->Handle();
    if (!db)
        return false;
    const QString cached = fileFor(url);
    if (!placeCopy(source.absoluteFilePath(), cached, source.size()))
        return store_->Fail(QStringLiteral("cannot keep %1 in %2").arg(file, folder_));
    SqliteStatement insert(db,
        "INSERT INTO entries(url, file, size, stored) VALUES(?1, ?2, ?3, ?4) "
        "ON CONFLICT(url) DO UPDATE SET file = excluded.file, size = excluded.size, stored = excluded.stored");
    insert.bind(1, url).bind(2, cached).bind(3, source.size());
    insert.bind(4, QDateTime::currentDateTimeUtc().toMSecsSinceEpoch());
    if (insert.step() == SQLITE_DONE)
        return true;
    QFile::remove(cached);
    return store_->Fail(QStringLiteral("cannot index %1").arg(url.left(80)));
}

std::optional<TUrlCacheEntry> TUrlCache::Find(const QString& url)
{
    sqlite3* db = store_->Handle();
    if (!db)
        return std::nullopt;
    SqliteStatement query(db, "SELECT file, size, stored FROM entries WHERE url = ?1");
    if (query.bind(1, url).step() != SQLITE_ROW || !QFileInfo::exists(query.text(0)))
        return std::nullopt;
    return TUrlCacheEntry{
        url, query.text(0), query.integer(1), QDateTime::fromMSecsSinceEpoch(query.integer(2), Qt::UTC)};
}

std::vector<TUrlCacheEntry> TUrlCache::Entries()
{
    sqlite3* db = store_->Handle();
    if (!db)
        return {};
    SqliteStatement query(db, "SELECT url, file, size, stored FROM entries ORDER BY stored, url");
    std::vector<TUrlCacheEntry> rows;
    while (query.step() == SQLITE_ROW)
        rows.push_back({query.text(0), query.text(1), query.integer(2),
            QDateTime::fromMSecsSinceEpoch(query.integer(3), Qt::UTC)});
    return rows;
}

TUrlCacheCleared TUrlCache::Clear()
{
    TUrlCacheCleared cleared;
    sqlite3* db = store_->Handle();
    if (!db)
        return cleared;
    SqliteStatement remove(db, "DELETE FROM entries WHERE url = ?1");
    for (const TUrlCacheEntry& entry : Entries()) {
        const bool present = QFile::exists(entry.LocalFile);
        if (present && !QFile::remove(entry.LocalFile)) {
            store_->Fail(QStringLiteral("cannot delete %1").arg(entry.LocalFile));
            continue;
        }
        remove.bind(1, entry.Url);
        if (remove.step() == SQLITE_DONE) {
            ++cleared.Entries;
            cleared.Bytes += present ? entry.Size : 0;
        }
        remove.reset();
    }
    return cleared;
}

void SetHttpCacheClearHandler(std::function<qint64()> handler) { httpCacheClearHandler() = std::move(handler); }

std::optional<qint64> ClearHttpCache()
{
    if (!httpCacheClearHandler())
        return std::nullopt;
    return httpCacheClearHandler()();
}
