#include "platform/registry/HiveStore.h"

#include "platform/registry/Profile.h"

#include <QFileInfo>
#include <QUrl>
#include <QtGlobal>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <memory>

namespace registry_detail {

namespace {

// Files made before the schema version was stamped hold 0 with the same
// tables.
constexpr int kSchemaVersion = 1;

const char* const kSchema = "CREATE TABLE IF NOT EXISTS keys("
                            " path TEXT PRIMARY KEY," // folded path from the root
                            " parent TEXT NOT NULL," // folded path of the parent ("" for top-level keys)
                            " name TEXT NOT NULL" // last name as first written
                            ") WITHOUT ROWID;"
                            "CREATE INDEX IF NOT EXISTS keys_parent ON keys(parent);"
                            "CREATE TABLE IF NOT EXISTS reg_values("
                            " key TEXT NOT NULL, folded TEXT NOT NULL, name TEXT NOT NULL,"
                            " type INTEGER NOT NULL, data BLOB, PRIMARY KEY(key, folded));"
                            "CREATE TABLE IF NOT EXISTS marks(name TEXT PRIMARY KEY) WITHOUT ROWID;";

// The tables a hive must hold, with their columns in order.
const struct {
    const char* table;
    const char* columns;
} kTables[] = {
    {"keys", "path,parent,name"},
    {"reg_values", "key,folded,name,type,data"},
    {"marks", "name"},
};

// Only writes wait: another ZarnWeb's write takes milliseconds on an idle
// machine but can queue for seconds behind others on a loaded one, and a
// write given up is a setting lost; a lock held longer than this belongs to
// something stuck. Reads of a WAL database never meet that lock.
constexpr int kBusyTimeoutMs = 5000;
// Reads of a WAL file meet a lock only when another program holds the file
// exclusively; the first window must not wait on that, so a read waits
// only out a passing lock.
constexpr int kReadBusyTimeoutMs = 100;
// How long a hive held locked by another program answers from memory before
// its file is looked at again.
constexpr auto kLockedRetry = std::chrono::seconds(2);

bool modeWritable(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return false;
    if (::geteuid() == 0)
        return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return ::access(native.constData(), W_OK) == 0;
}

bool writableAt(const QString& file)
{
    // The journal files live beside the database, so the folder counts too.
    if (!modeWritable(QFileInfo(file).absolutePath()))
        return false;
    return !QFileInfo::exists(file) || modeWritable(file);
}

QString hiveFileName(HKEY root)
{
    switch (root) {
    case HKEY_CURRENT_USER:
        return QStringLiteral("HKEY_CURRENT_USER.db");
    case HKEY_LOCAL_MACHINE:
        return QStringLiteral("HKEY_LOCAL_MACHINE.db");
    case HKEY_CLASSES_ROOT:
        return QStringLiteral("HKEY_CLASSES_ROOT.db");
    }
    throw ERegistryException(QStringLiteral("Unknown registry root 0x%1").arg(root, 8, 16, QChar('0')));
}

// What a failed look at a file tells about it.
Layout failedLook(sqlite3* db, int rc)
{
    if (rc == SQLITE_NOTADB)
        return {Layout::Foreign, QStringLiteral("it is not a SQLite database")};
    if (rc == SQLITE_CORRUPT)
        return {Layout::Foreign, QStringLiteral("it is damaged")};
    // The first look is read-only, so a journal left by an unfinished write
    // is not played back into a file that may not be ours.
    if (sqlite3_extended_errcode(db) == SQLITE_READONLY_ROLLBACK)
        return {Layout::Foreign, QStringLiteral("another program's unfinished write is in a journal beside it")};
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        return {Layout::Locked, QStringLiteral("another program holds it locked")};
    return {Layout::Unreadable, QString::fromUtf8(sqlite3_errmsg(db))};
}

// Why the file at path cannot be a hive at all: a folder, a FIFO or a device
// (opening a FIFO to read would wait for a writer); empty for a regular or
// missing file.
QString notAFile(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("it is a folder, not a file");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("it is a FIFO, not a file");
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return QStringLiteral("it is a device, not a file");
    return QStringLiteral("it is not a file");
}

// A one-off query whose failure is a finding, not an error: its result code
// and the first column of its first row.
struct Probe {
    Probe(sqlite3* db, const char* sql, const char* argument = nullptr)
    {
        rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
        if (rc != SQLITE_OK)
            return;
        if (argument)
            sqlite3_bind_text(stmt, 1, argument, -1, SQLITE_STATIC);
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            rc = SQLITE_OK;
            if (sqlite3_column_type(stmt, 0) != SQLITE_NULL)
                value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        }
    }
    ~Probe() { sqlite3_finalize(stmt); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    sqlite3_stmt* stmt = nullptr;
    int rc;
    QString value; // null when there was no row or the value was NULL
};

} // namespace

QString foldPath(const QString& path) { return path.toCaseFolded(); }

Query::Query(Hive& hive, const char* sql) : hive_(hive), stmt_(hive.statement(sql)) {}

Query::~Query()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

Query& Query::bind(int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

Query& Query::bind(int index, qint64 number)
{
    sqlite3_bind_int64(stmt_, index, number);
    return *this;
}

Query& Query::bindBlob(int index, const QByteArray& data)
{
    // A zero-length blob, not NULL, so that an empty binary value stays binary.
    sqlite3_bind_blob(stmt_, index, data.isEmpty() ? "" : data.constData(), int(data.size()), SQLITE_TRANSIENT);
    return *this;
}

bool Query::next()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    hive_.fail(QString::fromUtf8(sqlite3_sql(stmt_)));
}

void Query::run()
{
    while (next()) {}
}

QString Query::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(stmt_, column));
}

qint64 Query::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

QByteArray Query::blob(int column) const
{
    const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    return QByteArray(data, sqlite3_column_bytes(stmt_, column));
}

bool Query::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

std::shared_ptr<Hive> Hive::For(HKEY root)
{
    static std::mutex mapMutex;
    static std::map<QString, std::shared_ptr<Hive>> hives;
    const QString file = ProfileFolder() + QLatin1Char('/') + hiveFileName(root);
    std::lock_guard lock(mapMutex);
    auto& hive = hives[file];
    if (!hive) {
        // Profiles that were removed (temporary ones) give back their files.
        std::erase_if(hives, [](const auto& entry) { return entry.second && !QFileInfo::exists(entry.second->file_); });
        hive = std::make_shared<Hive>(root, file);
    } else {
        std::lock_guard hiveLock(hive->mutex);
        if (hive->stale() || hive->lockedRetryDue())
            hive->close();
    }
    return hive;
}

Hive::Hive(HKEY root, const QString& file) : root_(root), file_(file) {}

Hive::~Hive() { close(); }

// True when the open database is no longer the file at the hive's path:
// writing on would go to a file nobody else sees, and a replaced file is to
// be examined again.
bool Hive::stale() const
{
    if (!db_)
        return false;
    struct stat st {};
    if (::stat(QFile::encodeName(file_).constData(), &st) != 0)
        return true;
    return std::uint64_t(st.st_dev) != device_ || std::uint64_t(st.st_ino) != inode_;
}

void Hive::close()
{
    for (auto& [sql, stmt] : statements_)
        sqlite3_finalize(stmt);
    statements_.clear();
    sqlite3_close_v2(db_);
    db_ = nullptr;
    readWrite_ = false;
    hasTree_ = false;
    untouchedReason_.clear();
    locked_ = false;
}

bool Hive::lockedRetryDue() const { return locked_ && std::chrono::steady_clock::now() - lockedAt_ >= kLockedRetry; }

void Hive::fail(const QString& what) const
{
    const QString reason = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("not open");
    throw ERegistryException(QStringLiteral("Registry hive %1: %2 (%3)").arg(file_, reason, what));
}

void Hive::exec(const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(error ? error : "failed");
        sqlite3_free(error);
        throw ERegistryException(
            QStringLiteral("Registry hive %1: %2 (%3)").arg(file_, reason, QString::fromUtf8(sql)));
    }
}

void Hive::connect(const QByteArray& name, int flags)
{
    close();
    if (sqlite3_open_v2(name.constData(), &db_, flags | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(db_));
        close();
        throw ERegistryException(QStringLiteral("Cannot open registry hive %1: %2").arg(file_, reason));
    }
    sqlite3_busy_timeout(db_, kReadBusyTimeoutMs);
    // Closing would otherwise fold the WAL into the file, which must not
    // happen before the file is known to be a hive.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

void Hive::ensureOpen()
{
    if (db_)
        return;
    const bool canWrite = writableAt(file_);
    // Nothing to read, and none may be made.
    if (!canWrite && !QFileInfo::exists(file_))
        return;
    openFile(canWrite);
}

// Opens the file without writing to it and examines what it holds. An
// existing file is first looked at read-only, so that nothing of it (a
// journal beside it played back, a WAL folded in) changes before its layout
// is known to be ours; only then is it opened to be written.
void Hive::openFile(bool readWrite)
{
    rememberIdentity();
    if (const QString reason = notAFile(file_); !reason.isEmpty()) {
        leaveUntouched(reason);
        return;
    }
    const QByteArray native = QFile::encodeName(file_);
    const bool exists = QFileInfo::exists(file_);
    const bool lookFirst = exists || !readWrite;
    connect(native, lookFirst ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    readWrite_ = !lookFirst;
    Layout layout = examine();
    if (!readWrite && layout.kind == Layout::Unreadable) {
        // A WAL database in a folder we may not write cannot get its
        // shared-memory file; reading it as an unchanging file still works.
        const QByteArray uri = "file:" + QUrl::fromLocalFile(file_).path(QUrl::FullyEncoded).toUtf8() + "?immutable=1";
        connect(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
        layout = examine();
    }
    if (readWrite && !readWrite_ && (layout.kind == Layout::Ours || layout.kind == Layout::Empty)) {
        connect(native, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        readWrite_ = true;
        rememberIdentity();
        layout = examine(); // the file may have been replaced between the two opens
    }
    adopt(layout);
}

Layout Hive::examine() const
{
    const Probe version(db_, "SELECT user_version FROM pragma_user_version");
    if (version.rc != SQLITE_OK)
        return failedLook(db_, version.rc);
    const Probe objects(db_, "SELECT count(*) FROM sqlite_master");
    if (objects.rc != SQLITE_OK)
        return failedLook(db_, objects.rc);
    const int stamped = version.value.toInt();
    if (stamped == 0 && objects.value.toInt() == 0)
        return {Layout::Empty, {}};
    if (stamped != 0 && stamped != kSchemaVersion)
        return {Layout::Foreign, QStringLiteral("its schema version is %1, not %2").arg(stamped).arg(kSchemaVersion)};
    for (const auto& expected : kTables) {
        const Probe columns(db_,
            "SELECT group_concat(name, ',') FROM"
            " (SELECT name FROM pragma_table_info(?1) ORDER BY cid)",
            expected.table);
        if (columns.rc != SQLITE_OK)
            return failedLook(db_, columns.rc);
        if (columns.value.isNull())
            return {Layout::Foreign, QStringLiteral("its table %1 is missing").arg(QLatin1String(expected.table))};
        if (columns.value != QLatin1String(expected.columns))
            return {
                Layout::Foreign, QStringLiteral("its table %1 has other columns").arg(QLatin1String(expected.table))};
    }
    return {Layout::Ours, {}};
}

void Hive::adopt(const Layout& layout)
{
    switch (layout.kind) {
    case Layout::Ours:
    case Layout::Empty:
        hasTree_ = layout.kind == Layout::Ours;
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
        // An acknowledged write survives a power cut: every commit syncs the
        // WAL. Set only now: the setting reads the file.
        exec("PRAGMA synchronous=FULL");
        return;
    case Layout::Foreign:
        leaveUntouched(layout.reason);
        return;
    case Layout::Locked:
        answerFromMemory(layout.reason);
        return;
    case Layout::Unreadable:
        close();
        throw ERegistryException(QStringLiteral("Cannot read registry hive %1: %2").arg(file_, layout.reason));
    }
}

// The file is let go unwritten; the hive answers from an in-memory database
// seeded as a fresh hive, so that the program goes on with its defaults.
void Hive::leaveUntouched(const QString& reason)
{
    qWarning("Registry hive %s is left untouched: %s", qPrintable(file_), qPrintable(reason));
    serveFromMemory(reason);
}

// Another program holds the file locked: rather than wait, the defaults
// answer from memory until the file is looked at again, and writes are
// refused meanwhile (each tries the file once more).
void Hive::answerFromMemory(const QString& reason)
{
    qWarning("Registry hive %s is not read for now: %s; the default settings answer meanwhile", qPrintable(file_),
        qPrintable(reason));
    serveFromMemory(reason);
    locked_ = true;
    lockedAt_ = std::chrono::steady_clock::now();
}

void Hive::serveFromMemory(const QString& reason)
{
    connect(":memory:", SQLITE_OPEN_READWRITE);
    untouchedReason_ = reason;
    exec("BEGIN");
    createTables();
    WriteDefaults(root_, *this);
    exec("COMMIT");
    hasTree_ = true;
}

void Hive::rememberIdentity()
{
    struct stat st {};
    if (::stat(QFile::encodeName(file_).constData(), &st) == 0) {
        device_ = st.st_dev;
        inode_ = st.st_ino;
    }
}

bool Hive::readable()
{
    ensureOpen();
    // Another process may have made the tables since.
    if (db_ && !hasTree_)
        adopt(examine());
    return hasTree_;
}

bool Hive::writable()
{
    ensureOpen();
    return untouchedReason_.isEmpty() && writableAt(file_);
}

QString Hive::untouchedReason()
{
    ensureOpen();
    return untouchedReason_;
}

// Inside the write transaction, so that two processes making the tables of a
// new file at once make them once, and a file that meanwhile became
// something else is not written.
void Hive::makeTree()
{
    const Layout layout = examine();
    if (layout.kind == Layout::Empty)
        createTables();
    else if (layout.kind != Layout::Ours)
        throw ERegistryException(QStringLiteral("Registry hive %1 is not written: %2").arg(file_, layout.reason));
}

void Hive::createTables()
{
    exec(kSchema);
    exec(QByteArray("PRAGMA user_version = " + QByteArray::number(kSchemaVersion)).constData());
}

void Hive::refuseIfUntouched() const
{
    if (!untouchedReason_.isEmpty())
        throw ERegistryException(QStringLiteral("Registry hive %1 is left untouched: %2").arg(file_, untouchedReason_));
}

void Hive::write(const std::function<void()>& writes)
{
    std::lock_guard lock(mutex);
    if (locked_)
        close(); // the lock may be gone
    ensureOpen();
    refuseIfUntouched();
    // Checked at every write, so that a hive made read-only while the
    // program runs refuses from then on.
    if (!writableAt(file_))
        throw ERegistryException(QStringLiteral("Registry hive %1 is read-only").arg(file_));
    if (!readWrite_) {
        openFile(true); // made writable since it was opened
        refuseIfUntouched();
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    try {
        // WAL lets readers of every process go on while one process writes; a
        // file already in WAL mode is not locked by this.
        exec("PRAGMA journal_mode=WAL");
        exec("BEGIN IMMEDIATE");
        try {
            if (!hasTree_)
                makeTree();
            writes();
            exec("COMMIT");
        } catch (...) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (...) {
        sqlite3_busy_timeout(db_, kReadBusyTimeoutMs);
        throw;
    }
    sqlite3_busy_timeout(db_, kReadBusyTimeoutMs);
    hasTree_ = true;
}

int Hive::changes() const { return sqlite3_changes(db_); }

bool Hive::hasMark(const QString& name)
{
    Query q(*this, "SELECT 1 FROM marks WHERE name = ?1");
    return q.bind(1, name).next();
}

void Hive::setMark(const QString& name)
{
    Query(*this, "INSERT OR IGNORE INTO marks(name) VALUES(?1)").bind(1, name).run();
}

sqlite3_stmt* Hive::statement(const char* sql)
{
    auto& stmt = statements_[sql];
    if (!stmt && sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
        statements_.erase(sql);
        fail(QString::fromUtf8(sql));
    }
    return stmt;
}

} // namespace registry_detail

QString HiveFilePath(HKEY root) { return ProfileFolder() + QLatin1Char('/') + registry_detail::hiveFileName(root); }

bool HiveWritable(HKEY root)
{
    registry_detail::HiveUse held(root);
    return (*held).writable();
}

std::vector<UntouchedHive> UntouchedHives()
{
    std::vector<UntouchedHive> untouched;
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT}) {
        registry_detail::HiveUse held(root);
        try {
            const QString reason = (*held).untouchedReason();
            if (!reason.isEmpty())
                untouched.push_back({root, (*held).file(), reason});
        } catch (const ERegistryException&) {
            // Not read at all, so not left untouched: its every use reports it.
        }
    }
    return untouched;
}
