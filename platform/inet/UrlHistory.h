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

// Called after TUrlHistory::Clear empties a store; the page engine installs
// one to forget its visited links too. One handler; an empty one removes it.
void SetUrlHistoryClearedHandler(std::function<void()> handler);

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
    // False when the address was not kept (or the store failed: LastError).
    bool Delete(const QString& url);
    // Empties the store and then calls the cleared handler (below).
    bool Clear();
    // What went wrong with the last call that failed; empty before.
    QString LastError() const;

    // The part of an address that prefix matching compares: lower case,
    // without "scheme://" and a leading "www.".
    static QString MatchKey(const QString& url);

private:
    std::unique_ptr<SqliteStore> store_;
};
