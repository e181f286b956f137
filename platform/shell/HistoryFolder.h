#pragma once
// The history folder of the shell namespace: a virtual folder over the URL
// history store (platform/inet/UrlHistory.h). Its top level holds time
// groups in local time, newest first: "Today", the earlier days of this week
// (weeks start on Monday) by weekday name, then "Last Week", "2 Weeks Ago"
// and "3 Weeks Ago"; a group is listed only while it holds a visit. A group
// holds one site per host, ordered by the collator ("file:" pages together in
// one site named as the shell names the computer); a site holds one page per
// address, newest first, shown by its title, else its address. The store
// keeps one row per address, so a page sits under the day of its last visit.
//
// Two views beside the groups are reached by item lists only (never listed):
// "site" holds every site with all its pages, "visits" the pages by visit
// count. Their lists are the history folder's list + HistoryViewItem().
//
// Item layout (ItemIdList.h): [count][kind][payload] with
//   ITEM_HISTORY_GROUP  "D" or "W" and the day or the week's Monday as
//                       yyyy-MM-dd (a day group, a week group)
//   ITEM_HISTORY_VIEW   "site" or "visits"
//   ITEM_HISTORY_SITE   the host in UTF-8 (empty for local files)
//   ITEM_HISTORY_PAGE   the address in UTF-8
// so a list built before midnight still names the same day after it; its
// name follows the clock ("Today" becomes the weekday's name).
//
// An address carrying a user name and password is shown, tipped and handed
// on without them. The info tip of a page is exactly its title (line breaks
// made blanks) + "\n" + its address.
#include "platform/shell/ItemIdList.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

constexpr std::uint8_t ITEM_HISTORY_GROUP = 0x71;
constexpr std::uint8_t ITEM_HISTORY_VIEW = 0x72;
constexpr std::uint8_t ITEM_HISTORY_SITE = 0x73;
constexpr std::uint8_t ITEM_HISTORY_PAGE = 0x74;

// One time group: its key (the group item's payload), its name, and the
// span it covers as UTC times [From, To).
struct THistoryGroup {
    QString Key;
    QString Name;
    QDateTime From;
    QDateTime To;
};

// Every group the history folder may list at now (whether or not it holds
// visits), newest first.
std::vector<THistoryGroup> HistoryGroups(const QDateTime& now);
// The group of a key at now (its name follows now); an invalid key gives a
// group with an empty Key.
THistoryGroup HistoryGroupOfKey(const QString& key, const QDateTime& now);

// The clock the history folder names its groups by: the current time, or
// what a test set (an empty function puts the real clock back).
QDateTime HistoryNow();
void SetHistoryClock(std::function<QDateTime()> clock);

// Changes when the history store was changed by another process since the
// history folder last read it (visits recorded in this process are told by
// the store's listeners).
qint64 HistoryOthersChangeCount();

// url without a user name and password; everything else as written.
QString HistoryShownAddress(const QString& url);
// A page's info tip: title with its line breaks made blanks, "\n", the
// shown address.
QString HistoryTipText(const QString& title, const QString& url);
// The name of a site: the host, or for local files the computer's name.
QString HistorySiteName(const QString& host);

// Hosts in the order a group lists its sites: by the collator on their site
// names (HistorySiteName), without regard to case.
void SortHistoryHosts(std::vector<QString>& hosts);

// The item that leads from the history folder into the view ("site" or
// "visits").
UniquePidl HistoryViewItem(const QString& view);

// Where an item list below the history folder leads. Used by the shell
// namespace (ShellFolder.cpp); the views go through IShellFolder.
struct THistoryPlace {
    enum class Kind { Invalid, Root, Group, View, Site, Page };
    Kind kind = Kind::Invalid;
    QString group; // the group's key (Group and below)
    QString view; // "site" or "visits" (View and below)
    QDateTime from, to; // the span of the group (invalid: open)
    QString host; // Site and Page below a site
    QString url; // Page
};

THistoryPlace HistoryRootPlace();
// One step down; Invalid for an item the place does not hold the kind of.
THistoryPlace HistoryStep(const THistoryPlace& from, LPCITEMIDLIST item);
bool HistoryIsFolder(const THistoryPlace& at);
// The children of a folder place in their order; E_FAIL (one line logged per
// new failure) when the store cannot be read.
HRESULT HistoryChildren(const THistoryPlace& at, std::vector<UniquePidl>& items);
QString HistoryDisplayName(const THistoryPlace& at);
// A page's address as it is handed on; empty for a folder.
QString HistoryParsingName(const THistoryPlace& at);
QString HistoryTip(const THistoryPlace& at);
int HistoryIconIndex(const THistoryPlace& at);
