#include "platform/inet/SqliteStore.h"

#include <QDir>
#include <QFileInfo>

namespace {
constexpr int kBusyTimeoutMs = 2000;
} // namespace

sqlite3* OpenSqliteStore(const QString& file, const char* schema, QString& error)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        error = QStringLiteral("cannot open %1").arg(file);
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    char* message = nullptr;
    if (sqlite3_exec(db, schema, nullptr, nullptr, &message) != SQLITE_OK) {
        error = QStringLiteral("%1 holds something else: %2").arg(file, QString::fromUtf8(message));
        sqlite3_free(message);
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}
