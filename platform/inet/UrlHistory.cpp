#include "platform/inet/UrlHistory.h"

#include "platform/inet/ProcessProxy.h"
#include "platform/inet/SqliteStore.h"
#include "platform/registry/Profile.h"
#include "platform/registry/Registry.h"

#include <QStringList>
#include <QUrl>

#include <map>

namespace {

// Two orders serve the prefix lookup (MatchPrefix): by key, then rank, to
// find the few addresses that begin with a longer text, and by rank with the
// key beside it, to walk from the most visited down when the first letters
// match a great many.
const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS visits(
  url TEXT PRIMARY KEY NOT NULL,
  match_key TEXT NOT NULL,
  title TEXT NOT NULL DEFAULT '',
  last_visit INTEGER NOT NULL,
  visit_count INTEGER NOT NULL);
DROP INDEX IF EXISTS visits_by_key;
CREATE INDEX IF NOT EXISTS visits_by_key_rank ON visits(match_key, visit_count DESC, last_visit DESC);
CREATE INDEX IF NOT EXISTS visits_by_rank ON visits(visit_count DESC, last_visit DESC, match_key);
CREATE INDEX IF NOT EXISTS visits_by_time ON visits(last_visit);
)";

// Up to this many addresses beginning with the typed text are sorted; more
// are found sooner by walking the addresses from the most visited down.
constexpr int kSortedMatches = 1000;

using Statement = SqliteStatement;

// The rows of a query of url, title, last_visit, visit_count.
std::vector<TUrlHistoryEntry> entriesOf(Statement& query)
{
    std::vector<TUrlHistoryEntry> rows;
    while (query.step() == SQLITE_ROW)
        rows.push_back({query.text(0), query.text(1), QDateTime::fromMSecsSinceEpoch(query.integer(2), Qt::UTC),
            static_cast<int>(query.integer(3))});
    return rows;
}

// zarn_host(url): HostOf for the rows written before the host column.
void hostFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    const QString url
        = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(args[0])), sqlite3_value_bytes(args[0]));
    const QByteArray host = TUrlHistory::HostOf(url).toUtf8();
    sqlite3_result_text(context, host.constData(), int(host.size()), SQLITE_TRANSIENT);
}

// zarn_fold(text): the text case-folded as Qt folds it (SQLite's lower()
// knows ASCII only).
void foldFunction(sqlite3_context* context, int, sqlite3_value** args)
{
    const QByteArray folded
        = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(args[0])), sqlite3_value_bytes(args[0]))
              .toCaseFolded()
              .toUtf8();
    sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

// An invalid time leaves that end of a range open.
qint64 fromMs(const QDateTime& from) { return from.isValid() ? from.toMSecsSinceEpoch() : INT64_MIN; }
qint64 toMs(const QDateTime& to) { return to.isValid() ? to.toMSecsSinceEpoch() : INT64_MAX; }

struct Listeners {
    std::map<int, TUrlHistoryListener> byId;
    int nextId = 1;
    quint64 generation = 0;
};

Listeners& listeners()
{
    static Listeners all;
    return all;
}

void tellListeners(TUrlHistoryChange change)
{
    ++listeners().generation;
    const auto current = listeners().byId;
    for (const auto& [id, listener] : current)
        listener(change);
}

// The first key after every key that begins with prefix.
QString pastPrefix(QString prefix)
{
    while (!prefix.isEmpty()) {
        const char16_t last = prefix.back().unicode();
        prefix.chop(1);
        if (last != 0xFFFF) {
            prefix.append(QChar(char16_t(last + 1)));
            return prefix;
        }
    }
    return {};
}

} // namespace

TUrlHistory::TUrlHistory(QString databaseFile) : store_(std::make_unique<SqliteStore>(std::move(databaseFile), kSchema))
{}

TUrlHistory::~TUrlHistory() = default;

int AddUrlHistoryListener(TUrlHistoryListener listener)
{
    const int id = listeners().nextId++;
    listeners().byId.emplace(id, std::move(listener));
    return id;
}

void RemoveUrlHistoryListener(int id) { listeners().byId.erase(id); }

quint64 UrlHistoryGeneration() { return listeners().generation; }

int UrlHistoryDaysToKeep()
{
    constexpr int kDefaultDays = 20;
    try {
        TRegistry registry(HKEY_CURRENT_USER);
        if (registry.OpenKeyReadOnly(
                QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Url History"))
            && registry.ValueExists(QStringLiteral("DaysToKeep"))) {
            const int days = registry.ReadInteger(QStringLiteral("DaysToKeep"));
            if (days > 0)
                return days;
        }
    } catch (const ERegistryException&) {
        // An unreadable setting keeps the default.
    }
    return kDefaultDays;
}

int PruneUrlHistory(const QDateTime& now) { return TUrlHistory().DeleteBefore(now.addDays(-UrlHistoryDaysToKeep())); }

// Rows written before the host column existed get theirs on the first open;
// the column is filled in the same transaction, so a store is never seen
// half upgraded.
sqlite3* TUrlHistory::db()
{
    sqlite3* db = store_->Handle();
    if (!db || db == upgraded_)
        return db;
    // Listings walk the rows in time order, which is not the order they lie
    // in: read through a mapping, not a system call per page.
    sqlite3_exec(db, "PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr);
    sqlite3_create_function(
        db, "zarn_host", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, hostFunction, nullptr, nullptr);
    sqlite3_create_function(
        db, "zarn_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, foldFunction, nullptr, nullptr);
    const bool hasHost = Statement(db, "SELECT host FROM visits LIMIT 0").ok();
    if (!hasHost) {
        const bool done = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK
            && sqlite3_exec(db,
                   "ALTER TABLE visits ADD COLUMN host TEXT; "
                   "UPDATE visits SET host = zarn_host(url); "
                   "CREATE INDEX IF NOT EXISTS visits_by_host ON visits(host, last_visit);",
                   nullptr, nullptr, nullptr)
                == SQLITE_OK
            && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!done) {
            store_->Fail(QStringLiteral("cannot give the history its host column"));
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return nullptr;
        }
    }
    upgraded_ = db;
    return db;
}

QString TUrlHistory::HostOf(const QString& url)
{
    const QUrl parsed(url.trimmed());
    if (parsed.isLocalFile())
        return {};
    return parsed.host().toLower();
}

qint64 TUrlHistory::OthersChangeCount()
{
    sqlite3* db = this->db();
    if (!db)
        return -1;
    Statement query(db, "PRAGMA data_version");
    return query.step() == SQLITE_ROW ? query.integer(0) : -1;
}

bool TUrlHistory::IsUsable()
{
    sqlite3* db = this->db();
    return db
        && (Statement(db, "SELECT 1 FROM visits LIMIT 1").step() != SQLITE_ERROR
            || store_->Fail(QStringLiteral("cannot read the history")));
}

bool IsRecordedVisit(const TCompletedPage& page)
{
    if (page.Failed)
        return false;
    static const QStringList recorded
        = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp"), QStringLiteral("file")};
    const QString scheme = QUrl(page.Url).scheme();
    if (!recorded.contains(scheme, Qt::CaseInsensitive))
        return false;
    return !ProcessOffline() || scheme.compare(QLatin1String("file"), Qt::CaseInsensitive) == 0;
}

bool RecordVisit(const TCompletedPage& page)
{
    return IsRecordedVisit(page) && TUrlHistory().AddVisit(page.Url, page.Title);
}

QString TUrlHistory::DefaultFile() { return ProfileFolder() + QStringLiteral("/History/history.sqlite"); }

QString TUrlHistory::MatchKey(const QString& url)
{
    QString key = url.trimmed().toLower();
    const qsizetype schemeEnd = key.indexOf(QStringLiteral("://"));
    if (schemeEnd > 0 && schemeEnd < 16)
        key.remove(0, schemeEnd + 3);
    if (key.startsWith(QStringLiteral("www.")))
        key.remove(0, 4);
    return key;
}

QString TUrlHistory::LastError() const { return store_->LastError(); }

bool TUrlHistory::AddVisit(const QString& url, const QString& title, const QDateTime& when)
{
    return AddVisits({{url, title, when, 1}});
}

bool TUrlHistory::AddVisits(const std::vector<TUrlHistoryEntry>& visits)
{
    for (const TUrlHistoryEntry& visit : visits)
        if (visit.Url.trimmed().isEmpty() || visit.Url.size() > MaxUrlLength)
            return store_->Fail(QStringLiteral("not an address to keep: %1").arg(visit.Url.left(80)));
    sqlite3* db = this->db();
    if (!db)
        return false;
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return store_->Fail(QStringLiteral("cannot record visits"));
    Statement insert(db,
        "INSERT INTO visits(url, match_key, title, last_visit, visit_count, host) VALUES(?1, ?2, ?3, ?4, 1, ?5) "
        "ON CONFLICT(url) DO UPDATE SET visit_count = visit_count + 1, "
        "last_visit = max(last_visit, excluded.last_visit), "
        "title = CASE WHEN excluded.title <> '' THEN excluded.title ELSE title END");
    for (const TUrlHistoryEntry& visit : visits) {
        insert.bind(1, visit.Url).bind(2, MatchKey(visit.Url)).bind(3, visit.Title);
        insert.bind(4, visit.LastVisit.toMSecsSinceEpoch()).bind(5, HostOf(visit.Url));
        if (insert.step() != SQLITE_DONE) {
            store_->Fail(QStringLiteral("cannot record a visit"));
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
        insert.reset();
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return store_->Fail(QStringLiteral("cannot record visits"));
    }
    tellListeners(TUrlHistoryChange::hcWritten);
    return true;
}

std::optional<TUrlHistoryEntry> TUrlHistory::Find(const QString& url)
{
    sqlite3* db = this->db();
    if (!db)
        return std::nullopt;
    Statement query(db, "SELECT url, title, last_visit, visit_count FROM visits WHERE url = ?1");
    auto rows = entriesOf(query.bind(1, url));
    if (rows.empty())
        return std::nullopt;
    return rows.front();
}

std::vector<TUrlHistoryEntry> TUrlHistory::MatchPrefix(const QString& typed, int limit)
{
    const QString key = MatchKey(typed);
    sqlite3* db = key.isEmpty() || limit <= 0 ? nullptr : this->db();
    if (!db)
        return {};
    const QString end = pastPrefix(key);
    Statement counting(db,
        "SELECT count(*) FROM (SELECT 1 FROM visits INDEXED BY visits_by_key_rank "
        "WHERE match_key >= ?1 AND match_key < ?2 LIMIT ?3)");
    const bool many = counting.bind(1, key).bind(2, end).bind(3, qint64(kSortedMatches)).step() == SQLITE_ROW
        && counting.integer(0) >= kSortedMatches;
    // The rows' addresses and titles are read only for the chosen few.
    const QByteArray sql
        = QByteArrayLiteral("SELECT v.url, v.title, v.last_visit, v.visit_count FROM (SELECT rowid AS id "
                            "FROM visits INDEXED BY ")
        + (many ? "visits_by_rank" : "visits_by_key_rank")
        + " WHERE match_key >= ?1 AND match_key < ?2 ORDER BY visit_count DESC, last_visit DESC LIMIT ?3) AS top "
          "JOIN visits v ON v.rowid = top.id ORDER BY v.visit_count DESC, v.last_visit DESC";
    Statement query(db, sql.constData());
    return entriesOf(query.bind(1, key).bind(2, end).bind(3, qint64(limit)));
}

std::vector<TUrlHistoryEntry> TUrlHistory::Visits(const QDateTime& from, const QDateTime& to, int limit)
{
    sqlite3* db = this->db();
    if (!db)
        return {};
    Statement query(db,
        "SELECT url, title, last_visit, visit_count FROM visits WHERE last_visit >= ?1 AND last_visit < ?2 "
        "ORDER BY last_visit DESC LIMIT ?3");
    return entriesOf(query.bind(1, from.toMSecsSinceEpoch()).bind(2, to.toMSecsSinceEpoch()).bind(3, qint64(limit)));
}

int TUrlHistory::Count()
{
    sqlite3* db = this->db();
    if (!db)
        return 0;
    Statement query(db, "SELECT count(*) FROM visits");
    return query.step() == SQLITE_ROW ? static_cast<int>(query.integer(0)) : 0;
}

bool TUrlHistory::Delete(const QString& url)
{
    sqlite3* db = this->db();
    if (!db)
        return false;
    Statement remove(db, "DELETE FROM visits WHERE url = ?1");
    if (remove.bind(1, url).step() != SQLITE_DONE)
        return store_->Fail(QStringLiteral("cannot delete a visit"));
    const bool removed = sqlite3_changes(db) > 0;
    if (removed)
        tellListeners(TUrlHistoryChange::hcWritten);
    return removed;
}

int TUrlHistory::DeleteSite(const QString& host)
{
    sqlite3* db = this->db();
    if (!db)
        return -1;
    Statement remove(db, "DELETE FROM visits WHERE host = ?1");
    if (remove.bind(1, host.toLower()).step() != SQLITE_DONE) {
        store_->Fail(QStringLiteral("cannot delete a site"));
        return -1;
    }
    const int removed = sqlite3_changes(db);
    if (removed > 0)
        tellListeners(TUrlHistoryChange::hcWritten);
    return removed;
}

int TUrlHistory::DeleteBefore(const QDateTime& when)
{
    sqlite3* db = this->db();
    if (!db)
        return -1;
    Statement remove(db, "DELETE FROM visits WHERE last_visit < ?1");
    if (remove.bind(1, when.toMSecsSinceEpoch()).step() != SQLITE_DONE) {
        store_->Fail(QStringLiteral("cannot delete old visits"));
        return -1;
    }
    const int removed = sqlite3_changes(db);
    if (removed > 0)
        tellListeners(TUrlHistoryChange::hcWritten);
    return removed;
}

std::vector<TUrlHistorySite> TUrlHistory::Sites(const QDateTime& from, const QDateTime& to)
{
    sqlite3* db = this->db();
    if (!db)
        return {};
    // A whole store is read host by host along the host index; a time range
    // walks the few rows of its days instead.
    const bool allTime = !from.isValid() && !to.isValid();
    Statement query(db,
        allTime ? "SELECT host, count(*), max(last_visit) FROM visits INDEXED BY visits_by_host GROUP BY host"
                : "SELECT host, count(*), max(last_visit) FROM visits INDEXED BY visits_by_time "
                  "WHERE last_visit >= ?1 AND last_visit < ?2 GROUP BY host");
    if (!allTime)
        query.bind(1, fromMs(from)).bind(2, toMs(to));
    std::vector<TUrlHistorySite> sites;
    while (query.step() == SQLITE_ROW)
        sites.push_back(
            {query.text(0), int(query.integer(1)), QDateTime::fromMSecsSinceEpoch(query.integer(2), Qt::UTC)});
    return sites;
}

bool TUrlHistory::HasVisits(const QDateTime& from, const QDateTime& to)
{
    sqlite3* db = this->db();
    if (!db)
        return false;
    Statement query(db, "SELECT 1 FROM visits WHERE last_visit >= ?1 AND last_visit < ?2 LIMIT 1");
    return query.bind(1, fromMs(from)).bind(2, toMs(to)).step() == SQLITE_ROW;
}

std::vector<TUrlHistoryEntry> TUrlHistory::SitePages(
    const QString& host, const QDateTime& from, const QDateTime& to, int limit)
{
    sqlite3* db = this->db();
    if (!db)
        return {};
    Statement query(db,
        "SELECT url, title, last_visit, visit_count FROM visits INDEXED BY visits_by_host "
        "WHERE host = ?1 AND last_visit >= ?2 AND last_visit < ?3 ORDER BY last_visit DESC LIMIT ?4");
    return entriesOf(query.bind(1, host).bind(2, fromMs(from)).bind(3, toMs(to)).bind(4, qint64(limit)));
}

std::vector<TUrlHistoryPage> TUrlHistory::Pages(const QDateTime& from, const QDateTime& to)
{
    sqlite3* db = this->db();
    if (!db)
        return {};
    Statement query(db,
        "SELECT url, title, last_visit, visit_count, host FROM visits INDEXED BY visits_by_time "
        "WHERE last_visit >= ?1 AND last_visit < ?2 ORDER BY last_visit DESC");
    query.bind(1, fromMs(from)).bind(2, toMs(to));
    std::vector<TUrlHistoryPage> rows;
    while (query.step() == SQLITE_ROW)
        rows.push_back({{query.text(0), query.text(1), QDateTime::fromMSecsSinceEpoch(query.integer(2), Qt::UTC),
                            static_cast<int>(query.integer(3))},
            query.text(4)});
    return rows;
}

std::vector<TUrlHistoryEntry> TUrlHistory::MostVisited(int limit)
{
    sqlite3* db = this->db();
    if (!db)
        return {};
    Statement query(db,
        "SELECT url, title, last_visit, visit_count FROM visits INDEXED BY visits_by_rank "
        "ORDER BY visit_count DESC, last_visit DESC LIMIT ?1");
    return entriesOf(query.bind(1, qint64(limit)));
}

std::vector<TUrlHistoryEntry> TUrlHistory::Search(const QString& text, int limit)
{
    sqlite3* db = this->db();
    if (!db)
        return {};
    // instr on case-folded text: LIKE would take "%" and "_" in the text as
    // patterns, and knows the case of ASCII letters only.
    Statement query(db,
        "SELECT url, title, last_visit, visit_count FROM visits "
        "WHERE instr(zarn_fold(url), ?1) > 0 OR instr(zarn_fold(title), ?1) > 0 ORDER BY last_visit DESC LIMIT ?2");
    return entriesOf(query.bind(1, text.toCaseFolded()).bind(2, qint64(limit)));
}

// The rows go without zeroing each freed page (as single deletions do), and
// the file is then rebuilt and the journal emptied: quicker than zeroing,
// and no address is left anywhere in the files. Should another process keep
// the rebuild from running, the history is still empty.
bool TUrlHistory::Clear()
{
    sqlite3* db = this->db();
    if (!db)
        return false;
    sqlite3_exec(db, "PRAGMA secure_delete=OFF", nullptr, nullptr, nullptr);
    const bool emptied = sqlite3_exec(db, "DELETE FROM visits", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_exec(db, "PRAGMA secure_delete=ON", nullptr, nullptr, nullptr);
    if (!emptied)
        return store_->Fail(QStringLiteral("cannot clear the history"));
    sqlite3_exec(db, "VACUUM; PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    tellListeners(TUrlHistoryChange::hcCleared);
    return true;
}
