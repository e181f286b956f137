#pragma once
// One hive's SQLite database, shared by every TRegistry of the process: each
// hive file is opened once and its prepared statements are kept. Internal to
// the registry library.
//
// Opening and reading take no write lock, so a read never waits for another
// process's write (the file is kept in WAL mode); the tables of a new file
// are made by its first write. An existing file is looked at read-only until
// its layout is known. A file in a layout this program does not know (or a
// folder, FIFO or device in its place) is never written: the hive is then
// served from an in-memory database that holds the defaults, and refuses
// writes. A file another program holds locked against readers is served the
// same way for a while instead of being waited for.
#include "platform/registry/Registry.h"

#include <QByteArray>
#include <QString>

#include <chrono>
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
    void run(); // runs a statement that returns no rows

    QString text(int column) const;
    qint64 integer(int column) const;
    QByteArray blob(int column) const;
    bool isNull(int column) const;

private:
    Hive& hive_;
    sqlite3_stmt* stmt_;
};

// What an examination of a hive file found.
struct Layout {
    enum Kind {
        Ours, // the registry's tables
        Empty, // no tables yet: a new file, or one whose first write is not committed
        Foreign, // anything else, also no file at all (a folder, FIFO or device); never written
        Locked, // another program holds the file locked against readers
        Unreadable // the file could not be read (unreadable, I/O error)
    };
    Kind kind;
    QString reason; // for Foreign, Locked and Unreadable
};

class Hive {
public:
    // The hive of this root in the current profile folder, opened on first
    // use and kept open. A hive whose file was replaced or removed since is
    // reopened (and examined again); hives whose files are gone are let go.
    static std::shared_ptr<Hive> For(HKEY root);
    Hive(HKEY root, const QString& file);
    ~Hive();

    // Held for every operation, so that one registry call is atomic even when
    // a second thread uses the same hive.
    std::recursive_mutex mutex;

    // False while the hive holds no tree: its file does not exist and cannot
    // be created, or holds no tables yet. Every read then finds nothing.
    // Raises when the file cannot be read at all.
    bool readable();
    // Whether writes are accepted: the hive's file (or, before it exists, its
    // folder) is writable and the hive is not left untouched.
    bool writable();
    // Runs the writes of one operation in one transaction, making the tables
    // of a new hive first; waits (up to the busy timeout) while another
    // process writes. Raises when the hive is not writable.
    void write(const std::function<void()>& writes);
    // Rows changed by the latest statement.
    int changes() const;

    // Why the hive's file is left untouched (its layout, or another
    // program's lock while that lasts); empty when the file is used.
    QString untouchedReason();
    // Held locked by another program, and long enough ago to look again.
    bool lockedRetryDue() const;
    const QString& file() const { return file_; }

    // One-off marks of the hive itself (first-run seeding), outside the tree.
    // Both need the tree: call them when readable() or inside write().
    bool hasMark(const QString& name);
    void setMark(const QString& name);

    [[noreturn]] void fail(const QString& what) const;

private:
    friend class Query;
    bool stale() const;
    void ensureOpen();
    void openFile(bool readWrite);
    void connect(const QByteArray& name, int flags);
    Layout examine() const;
    void adopt(const Layout& layout);
    void leaveUntouched(const QString& reason);
    void answerFromMemory(const QString& reason);
    void serveFromMemory(const QString& reason);
    void makeTree();
    void createTables();
    void refuseIfUntouched() const;
    void rememberIdentity();
    void close();
    void exec(const char* sql);
    sqlite3_stmt* statement(const char* sql);

    HKEY root_;
    QString file_;
    sqlite3* db_ = nullptr;
    bool readWrite_ = false; // the connection may write the file
    bool hasTree_ = false; // the connection holds the registry's tables
    QString untouchedReason_; // set while the hive is served from memory
    bool locked_ = false; // served from memory because of another program's lock
    std::chrono::steady_clock::time_point lockedAt_;
    std::uint64_t device_ = 0, inode_ = 0; // identity of the opened file
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

// A hive held and locked for the length of one registry operation.
class HiveUse {
public:
    explicit HiveUse(HKEY root) : hive_(Hive::For(root)), lock_(hive_->mutex) {}
    Hive& operator*() const { return *hive_; }

private:
    std::shared_ptr<Hive> hive_;
    std::unique_lock<std::recursive_mutex> lock_;
};

// Key paths as stored: names folded to one case, joined by "\".
QString foldPath(const QString& path);

// Tree writes shared by TRegistry and the defaults; they run inside write()
// (Registry.cpp).
// Creates the key (names joined by "\", from the root) and its missing parents.
void createKey(Hive& hive, const QString& path);
// Stores a value of an existing key; what happens to a value already stored
// under that name.
enum class Existing { Replace, Keep };
void putValue(
    Hive& hive, const QString& keyPath, const QString& name, int type, const QByteArray& data, Existing existing);

// The defaults of a fresh hive of root (Profile.cpp, beside the profile
// folder they point into).
// Whether the hive was given its defaults; needs the tree.
bool HasDefaults(Hive& hive);
// Writes the defaults that are missing and marks the hive as given them;
// values already present are kept. Runs inside write().
void WriteDefaults(HKEY root, Hive& hive);

} // namespace registry_detail
