#pragma once
// The download cache: a copy of each file fetched on the user's account,
// kept in a folder of the profile under a name made from its address (never
// a name a server gave), with an index in SQLite (address, file, size, time
// stored). The page engine keeps its own HTTP cache beside it (ClearHttpCache
// below). Several processes may use the cache at once.
#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SqliteStore;

struct TUrlCacheEntry {
    QString Url;
    QString LocalFile;
    qint64 Size = 0;
    QDateTime Stored; // UTC
};

// What clearing removed: the entries, and the bytes of their files that
// were still there.
struct TUrlCacheCleared {
    int Entries = 0;
    qint64 Bytes = 0;
};

class TUrlCache {
public:
    // Files larger than this are kept only where they can be linked, never
    // copied, so that a big download does not take its space twice.
    static constexpr qint64 MaxCopiedSize = 64ll << 20;

    // The cache in folder, created on first use.
    explicit TUrlCache(QString folder = DefaultFolder());
    ~TUrlCache();
    TUrlCache(const TUrlCache&) = delete;
    TUrlCache& operator=(const TUrlCache&) = delete;

    // Cache/Files in the profile folder.
    static QString DefaultFolder();

    // Keeps file as the entry of url, replacing the entry it had: a hard
    // link to the file where the file system allows, else a copy (up to
    // MaxCopiedSize), written through a temporary name. False (LastError
    // says why) when nothing was kept.
    bool Store(const QString& url, const QString& file);
    // The entry whose address equals url exactly (letter case counts);
    // nullopt when there is none or its file has gone.
    std::optional<TUrlCacheEntry> Find(const QString& url);
    // Every entry, oldest first.
    std::vector<TUrlCacheEntry> Entries();
    // Deletes every entry with its file.
    TUrlCacheCleared Clear();
    QString LastError() const;

private:
    QString fileFor(const QString& url) const;

    QString folder_;
    std::unique_ptr<SqliteStore> store_;
};

// Empties the page engine's HTTP cache through the handler the engine
// installed (SetHttpCacheClearHandler); the bytes it held, or nullopt when
// no engine is in the process.
std::optional<qint64> ClearHttpCache();
// Installed by the page engine: empties its HTTP cache and returns the bytes
// the cache held. One handler; an empty one removes it.
void SetHttpCacheClearHandler(std::function<qint64()> handler);
