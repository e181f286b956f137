#pragma once
// What the profile's SQLite stores share: opening one (with its folder and
// schema) and prepared statements that finalize themselves.
#include <QString>

#include <sqlite3.h>

// One store file, opened on its first use and closed with this object, and
// the text of the latest failure of the work done on it. Not copyable.
class SqliteStore {
public:
    // Nothing is opened yet; schema (statements that create what is missing)
    // must live as long as this object.
    SqliteStore(QString file, const char* schema);
    ~SqliteStore();
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    // The open database. The first call creates the file with its folder,
    // waits up to 2 s for other processes that hold it and applies the
    // schema; null (LastError says why) when the file cannot be opened or
    // holds something else, and the next call tries again.
    sqlite3* Handle();
    // Records what as the latest failure, with SQLite's own message while
    // the store is open. Always false, so that a failing call returns it.
    bool Fail(const QString& what);
    // The latest failure; empty before the first.
    QString LastError() const { return lastError_; }

private:
    QString file_;
    const char* schema_;
    sqlite3* db_ = nullptr;
    QString lastError_;
};

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
