#include "platform/registry/HiveStore.h"

#include "platform/registry/Profile.h"

#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>

namespace registry_detail {

namespace {

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    " path TEXT PRIMARY KEY," // folded path from the root
    " parent TEXT NOT NULL,"  // folded path of the parent ("" for top-level keys)
    " name TEXT NOT NULL"     // last name as first written
    ") WITHOUT ROWID;"
    "CREATE INDEX IF NOT EXISTS keys_parent ON keys(parent);"
    "CREATE TABLE IF NOT EXISTS reg_values("
    " key TEXT NOT NULL, folded TEXT NOT NULL, name TEXT NOT NULL,"
    " type INTEGER NOT NULL, data BLOB, PRIMARY KEY(key, folded));"
    "CREATE TABLE IF NOT EXISTS marks(name TEXT PRIMARY KEY) WITHOUT ROWID;";

// Another process may hold the write lock for a while (a large MoveKey);
// waiting is better than losing the write.
constexpr int kBusyTimeoutMs = 15000;

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
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER.db");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE.db");
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT.db");
    }
    throw ERegistryException(QStringLiteral("Unknown registry root 0x%1").arg(root, 8, 16, QChar('0')));
}

}

QString foldPath(const QString& path)
{
    return path.toCaseFolded();
}

Query::Query(Hive& hive, const char* sql)
    : m_hive(hive), m_stmt(hive.statement(sql))
{
}

Query::~Query()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

Query& Query::bind(int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

Query& Query::bind(int index, qint64 number)
{
    sqlite3_bind_int64(m_stmt, index, number);
    return *this;
}

Query& Query::bindBlob(int index, const QByteArray& data)
{
    // A zero-length blob, not NULL, so that an empty binary value stays binary.
    sqlite3_bind_blob(m_stmt, index, data.isEmpty() ? "" : data.constData(), int(data.size()),
                      SQLITE_TRANSIENT);
    return *this;
}

bool Query::next()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    m_hive.fail(QString::fromUtf8(sqlite3_sql(m_stmt)));
}

void Query::run()
{
    while (next()) {
    }
}

QString Query::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}

qint64 Query::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QByteArray Query::blob(int column) const
{
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    return QByteArray(data, sqlite3_column_bytes(m_stmt, column));
}

bool Query::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

std::shared_ptr<Hive> Hive::For(HKEY root)
{
    static std::mutex mapMutex;
    static std::map<QString, std::shared_ptr<Hive>> hives;
    const QString file = ProfileFolder() + QLatin1Char('/') + hiveFileName(root);
    std::lock_guard lock(mapMutex);
    auto& hive = hives[file];
    if (!hive) {
        // Profiles that were removed (temporary ones) give back their files.
        std::erase_if(hives, [](const auto& entry) {
            return entry.second && !QFileInfo::exists(entry.second->m_file);
        });
        hive = std::make_shared<Hive>(file);
    } else {
        std::lock_guard hiveLock(hive->mutex);
        if (hive->stale())
            hive->close();
    }
    return hive;
}

Hive::Hive(const QString& file)
    : m_file(file)
{
}

Hive::~Hive()
{
    close();
}

// True when the open database is no longer the file at the hive's path:
// writing on would go to a file nobody else sees.
bool Hive::stale() const
{
    if (!m_db)
        return false;
    struct stat st {};
    if (::stat(QFile::encodeName(m_file).constData(), &st) != 0)
        return true;
    return std::uint64_t(st.st_dev) != m_device || std::uint64_t(st.st_ino) != m_inode;
}

void Hive::close()
{
    for (auto& [sql, stmt] : m_statements)
        sqlite3_finalize(stmt);
    m_statements.clear();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_writable = false;
}

void Hive::fail(const QString& what) const
{
    const QString reason = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("not open");
    throw ERegistryException(QStringLiteral("Registry hive %1: %2 (%3)").arg(m_file, reason, what));
}

void Hive::exec(const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(error ? error : "failed");
        sqlite3_free(error);
        throw ERegistryException(QStringLiteral("Registry hive %1: %2 (%3)").arg(m_file, reason, QString::fromUtf8(sql)));
    }
}

void Hive::open(bool writable)
{
    close();
    const QByteArray native = QFile::encodeName(m_file);
    const int flags = writable ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    if (sqlite3_open_v2(native.constData(), &m_db, flags | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(m_db));
        close();
        throw ERegistryException(QStringLiteral("Cannot open registry hive %1: %2").arg(m_file, reason));
    }
    m_writable = writable;
    rememberIdentity();
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    if (!writable) {
        openReadOnlyFallback();
        return;
    }
    try {
        // WAL lets readers of other processes go on while one process writes.
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=NORMAL");
        exec("BEGIN IMMEDIATE");
        exec(kSchema);
        exec("COMMIT");
    } catch (...) {
        // Not a usable hive (a damaged file): stay closed, try again next time.
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        close();
        throw;
    }
}

void Hive::openReadOnlyFallback()
{
    if (sqlite3_exec(m_db, "SELECT 1 FROM keys LIMIT 0", nullptr, nullptr, nullptr) == SQLITE_OK)
        return;
    // A WAL database in a folder we may not write cannot get its shared-memory
    // file; reading it as an unchanging file still works.
    close();
    const QByteArray uri = "file:" + QUrl::fromLocalFile(m_file).path(QUrl::FullyEncoded).toUtf8() + "?immutable=1";
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(uri.constData(), &m_db, flags, nullptr) != SQLITE_OK
        || sqlite3_exec(m_db, "SELECT 1 FROM keys LIMIT 0", nullptr, nullptr, nullptr) != SQLITE_OK)
        close(); // not a hive (or an empty file): reads find nothing
}

void Hive::rememberIdentity()
{
    struct stat st {};
    if (::stat(QFile::encodeName(m_file).constData(), &st) == 0) {
        m_device = st.st_dev;
        m_inode = st.st_ino;
    }
}

bool Hive::readable()
{
    if (m_db)
        return true;
    if (writableAt(m_file))
        open(true);
    else if (QFileInfo::exists(m_file))
        open(false);
    return m_db != nullptr;
}

void Hive::write(const std::function<void()>& writes)
{
    std::lock_guard lock(mutex);
    // Checked at every write, so that a hive made read-only while the
    // program runs refuses from then on.
    if (!writableAt(m_file))
        throw ERegistryException(QStringLiteral("Registry hive %1 is read-only").arg(m_file));
    if (!m_writable)
        open(true);
    exec("BEGIN IMMEDIATE");
    try {
        writes();
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

int Hive::changes() const
{
    return sqlite3_changes(m_db);
}

bool Hive::hasMark(const QString& name)
{
    std::lock_guard lock(mutex);
    if (!readable())
        return false;
    Query q(*this, "SELECT 1 FROM marks WHERE name = ?1");
    return q.bind(1, name).next();
}

void Hive::setMark(const QString& name)
{
    write([&] { Query(*this, "INSERT OR IGNORE INTO marks(name) VALUES(?1)").bind(1, name).run(); });
}

sqlite3_stmt* Hive::statement(const char* sql)
{
    auto& stmt = m_statements[sql];
    if (!stmt && sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
        m_statements.erase(sql);
        fail(QString::fromUtf8(sql));
    }
    return stmt;
}

}

QString HiveFilePath(HKEY root)
{
    return ProfileFolder() + QLatin1Char('/') + registry_detail::hiveFileName(root);
}

bool HiveWritable(HKEY root)
{
    return registry_detail::writableAt(HiveFilePath(root));
}
