#pragma once
// One hive's SQLite database, shared by every TRegistry of the process: each
// hive file is opened once and its prepared statements are kept. Internal to
// the registry library.
#include "platform/registry/Registry.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
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
    // The hive of this root in the current profile folder, opened on first
    // use and kept open. A hive whose file was replaced or removed since is
    // reopened; hives whose files are gone are let go.
    static std::shared_ptr<Hive> For(HKEY root);
    explicit Hive(const QString& file);
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
    bool stale() const;
    void open(bool writable);
    void openReadOnlyFallback();
    void rememberIdentity();
    void close();
    void exec(const char* sql);
    sqlite3_stmt* statement(const char* sql);

    QString m_file;
    sqlite3* m_db = nullptr;
    bool m_writable = false;
    std::uint64_t m_device = 0, m_inode = 0; // identity of the opened file
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
};

// A hive held and locked for the length of one registry operation.
class HiveUse {
public:
    explicit HiveUse(HKEY root) : m_hive(Hive::For(root)), m_lock(m_hive->mutex) {}
    Hive& operator*() const { return *m_hive; }

private:
    std::shared_ptr<Hive> m_hive;
    std::unique_lock<std::recursive_mutex> m_lock;
};

// Key paths as stored: names folded to one case, joined by "\".
QString foldPath(const QString& path);

}
