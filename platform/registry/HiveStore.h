#pragma once
// One hive's SQLite database, shared by every TRegistry of the process: each
// hive file is opened once and its prepared statements are kept. Internal to
// the registry library.
#include "platform/registry/Registry.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace registry_detail {

class Hive;

// A prepared statement of a hive, reset when the query goes out of scope.
class Query {
public:
    Query(Hive& hive, const char* sql);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bind(int index, const QString& text);
    Query& bind(int index, qint64 number);
    Query& bindBlob(int index, const QByteArray& data);
    bool next(); // True while a row is available
    void run();  // runs a statement that returns no rows

    QString text(int column) const;
    qint64 integer(int column) const;
    QByteArray blob(int column) const;
    bool isNull(int column) const;

private:
    Hive& m_hive;
    sqlite3_stmt* m_stmt;
};

class Hive {
public:
    // The hive of this root in the current profile folder, opened on first use.
    static Hive& For(HKEY root);
    ~Hive();

    // Held for every operation, so that one registry call is atomic even when
    // a second thread uses the same hive.
    std::recursive_mutex mutex;

    // False when the hive file does not exist yet and cannot be created:
    // every read then finds nothing.
    bool readable();
    // Runs the writes of one operation in one transaction; raises when the
    // hive is not writable.
    void write(const std::function<void()>& writes);
    // Rows changed by the latest statement.
    int changes() const;

    // One-off marks of the hive itself (first-run seeding), outside the tree.
    bool hasMark(const QString& name);
    void setMark(const QString& name);

    [[noreturn]] void fail(const QString& what) const;

private:
    friend class Query;
    explicit Hive(const QString& file);
    void open(bool writable);
    void openReadOnlyFallback();
    void close();
    void exec(const char* sql);
    sqlite3_stmt* statement(const char* sql);

    QString m_file;
    sqlite3* m_db = nullptr;
    bool m_writable = false;
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
};

// Key paths as stored: names folded to one case, joined by "\".
QString foldPath(const QString& path);

}
