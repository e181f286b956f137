#pragma once
// The URL history store: one row per address the user visited, with its page
// title, last visit time and number of visits, kept in a SQLite database in
// the profile folder. Several processes may use it at once; every change is
// its own transaction, on disk before the call returns (a visit that was
// acknowledged survives a power loss). Completion looks addresses up by what
// the user typed (MatchPrefix); history views list visits by time (Visits).
#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SqliteStore;
struct sqlite3;

// What happened to a history store of this process.
enum class TUrlHistoryChange {
    hcWritten, // visits recorded, or some removed (Delete, DeleteSite, DeleteBefore)
    hcCleared, // every visit removed (Clear)
};

// Raised after a store of this process was changed and the change is on
// disk, on the thread that made it. change: what happened. Every listener
// hears every change, in the order they were added; a listener may add or
// remove listeners (those take effect from the next change). With no
// listener the change simply happened.
using TUrlHistoryListener = std::function<void(TUrlHistoryChange change)>;
// Adds a listener; the number returned removes it again.
int AddUrlHistoryListener(TUrlHistoryListener listener);
void RemoveUrlHistoryListener(int id);
// Goes up by one with every change the listeners hear: a view that kept the
// number it was built at knows whether it is still current.
quint64 UrlHistoryGeneration();

// What the browser knows of a top-level page when it completes.
struct TCompletedPage {
    QString Url;
    QString Title;
    // The navigation ended in an error (unreachable host, refused
    // certificate, ...): what shows is the engine's error page, not Url.
    bool Failed = false;
};

// The one rule of what enters the history: a page that loaded, from the web,
// FTP or a local file (not about:, data: or script addresses), and network
// addresses only while online (offline they complete as the refusal page).
// Which browsers record at all is theirs to say (TSextant::RecordHistory).
bool IsRecordedVisit(const TCompletedPage& page);
// Records the page in the default store when IsRecordedVisit allows it.
// False when nothing was recorded.
bool RecordVisit(const TCompletedPage& page);

struct TUrlHistoryEntry {
    QString Url;
    QString Title;
    QDateTime LastVisit; // UTC, to the millisecond
    int VisitCount = 0;
};

// An entry with the host it is kept under (HostOf).
struct TUrlHistoryPage {
    TUrlHistoryEntry Entry;
    QString Host;
};

// One host of the history and what it holds.
struct TUrlHistorySite {
    QString Host; // lower case; empty for local files
    int Pages = 0;
    QDateTime LastVisit; // UTC
};

// How many days visits are kept: the value DaysToKeep (REG_DWORD) of
// HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet
// Settings\Url History, 20 when it is missing, unreadable or not above 0.
int UrlHistoryDaysToKeep();
// Removes from the default store the visits older than UrlHistoryDaysToKeep
// days before now; the program does so at start. The number removed, or -1
// (LastError of a store says why) when the store cannot be opened.
int PruneUrlHistory(const QDateTime& now = QDateTime::currentDateTimeUtc());

class TUrlHistory {
public:
    // Addresses longer than this are not kept.
    static constexpr int MaxUrlLength = 8192;

    // The store in databaseFile, created with its folder on first use.
    explicit TUrlHistory(QString databaseFile = DefaultFile());
    ~TUrlHistory();
    TUrlHistory(const TUrlHistory&) = delete;
    TUrlHistory& operator=(const TUrlHistory&) = delete;

    // History/history.sqlite in the profile folder.
    static QString DefaultFile();

    // Records one visit: a new address gets a count of 1, a known one one
    // more; the last visit becomes the later of the stored one and when; an
    // empty title keeps the stored one. False (LastError says why) for an
    // empty or overlong address, or when the store cannot be written.
    bool AddVisit(const QString& url, const QString& title, const QDateTime& when = QDateTime::currentDateTimeUtc());
    // Records each entry as one visit of AddVisit (its VisitCount is not
    // looked at), all in one transaction: all are kept or, on a failure,
    // none.
    bool AddVisits(const std::vector<TUrlHistoryEntry>& visits);
    std::optional<TUrlHistoryEntry> Find(const QString& url);
    // Up to limit addresses that begin with typed, compared without regard
    // to case and without the scheme and a leading "www." on either side
    // ("exa" finds "http://www.example.com/"), the most visited first, then
    // the latest. An empty typed text matches nothing.
    std::vector<TUrlHistoryEntry> MatchPrefix(const QString& typed, int limit);
    // Up to limit entries last visited in [from, to), the latest first.
    std::vector<TUrlHistoryEntry> Visits(const QDateTime& from, const QDateTime& to, int limit);
    int Count();
    // Whether the store can be opened and read; LastError says why not.
    bool IsUsable();
    // A number that changes when another connection (another process, or
    // another TUrlHistory) committed a change to the store since this one
    // last asked; -1 when the store cannot be opened.
    qint64 OthersChangeCount();
    // False when the address was not kept (or the store failed: LastError).
    bool Delete(const QString& url);
    // Removes every address of the host (HostOf); the number removed, -1
    // when the store failed.
    int DeleteSite(const QString& host);
    // Removes every address last visited before when; the number removed,
    // -1 when the store failed.
    int DeleteBefore(const QDateTime& when);
    // Empties the store; the listeners hear hcCleared.
    bool Clear();

    // The hosts with visits in [from, to) (an invalid from or to leaves that
    // end open), each with the number of its addresses there and its latest
    // visit; in no particular order.
    std::vector<TUrlHistorySite> Sites(const QDateTime& from, const QDateTime& to);
    // Whether any address was last visited in [from, to).
    bool HasVisits(const QDateTime& from, const QDateTime& to);
    // The host's addresses last visited in [from, to) (open ends as for
    // Sites), the latest first, up to limit.
    std::vector<TUrlHistoryEntry> SitePages(const QString& host, const QDateTime& from, const QDateTime& to, int limit);
    // Every address last visited in [from, to) (open ends as for Sites)
    // with its host, the latest first.
    std::vector<TUrlHistoryPage> Pages(const QDateTime& from, const QDateTime& to);
    // Up to limit addresses, the most visited first, then the latest.
    std::vector<TUrlHistoryEntry> MostVisited(int limit);
    // Up to limit addresses whose address or title holds text (without
    // regard to case), the latest first.
    std::vector<TUrlHistoryEntry> Search(const QString& text, int limit);
    // What went wrong with the last call that failed; empty before.
    QString LastError() const;

    // The part of an address that prefix matching compares: lower case,
    // without "scheme://" and a leading "www.".
    static QString MatchKey(const QString& url);
    // The host an address is kept under: its host name in lower case, empty
    // for a local file (and for anything without a host).
    static QString HostOf(const QString& url);

private:
    // The open store with its host column in place; null when it cannot be
    // had (LastError says why).
    sqlite3* db();
    std::unique_ptr<SqliteStore> store_;
    sqlite3* upgraded_ = nullptr;
};
