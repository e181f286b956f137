#pragma once
// What the profile's SQLite stores share: opening one (with its folder and
// schema) and prepared statements that finalize themselves.
#include <QString>

#include <sqlite3.h>

// Opens (creating) the database in file with its folder, waits up to 2 s for
// other processes that hold it, and applies schema. Null with error set when
// the file cannot be opened or holds something else.
sqlite3* OpenSqliteStore(const QString& file, const char* schema, QString& error);

// One prepared statement, finalized when it goes out of scope.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~SqliteStatement() { sqlite3_finalize(stmt_); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool ok() const { return stmt_ != nullptr; }
    SqliteStatement& bind(int index, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(stmt_, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
        return *this;
    }
    SqliteStatement& bind(int index, qint64 value)
    {
        sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_MISUSE; }
    void reset() { sqlite3_reset(stmt_); }
    QString text(int column) const
    {
        return QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)), sqlite3_column_bytes(stmt_, column));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3_stmt* stmt_ = nullptr;
};
