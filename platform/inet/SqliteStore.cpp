#include "platform/inet/SqliteStore.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {
constexpr int kBusyTimeoutMs = 2000;
} // namespace

SqliteStore::SqliteStore(QString file, const char* schema) : file_(std::move(file)), schema_(schema) {}

SqliteStore::~SqliteStore() { sqlite3_close(db_); }

sqlite3* SqliteStore::Handle()
{
    if (db_)
        return db_;
    QDir().mkpath(QFileInfo(file_).absolutePath());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file_.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        Fail(QStringLiteral("cannot open %1").arg(file_));
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // FULL: a commit is on disk before it is acknowledged. NORMAL would let a
    // power loss take the last acknowledged visits and cache entries.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", nullptr, nullptr, nullptr);
    char* message = nullptr;
    if (sqlite3_exec(db, schema_, nullptr, nullptr, &message) != SQLITE_OK) {
        Fail(QStringLiteral("%1 holds something else: %2").arg(file_, QString::fromUtf8(message)));
        sqlite3_free(message);
        sqlite3_close(db);
        return nullptr;
    }
    db_ = db;
    return db_;
}

bool SqliteStore::Fail(const QString& what)
{
    lastError_ = what;
    if (db_)
        lastError_ += QStringLiteral(" (%1)").arg(QString::fromUtf8(sqlite3_errmsg(db_)));
    return false;
}
