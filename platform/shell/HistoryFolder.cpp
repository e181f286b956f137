#include "platform/shell/HistoryFolder.h"

#include "platform/inet/UrlHistory.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/shell/SystemImageList.h"

#include <QCollator>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QLoggingCategory>

#include <algorithm>
#include <memory>

#include <sys/stat.h>

namespace {

Q_LOGGING_CATEGORY(historyLog, "zarn.history")

// More pages than this in one site or view are not listed.
constexpr int kPageLimit = 100000;
// The "Most Visited" view lists this many pages.
constexpr int kMostVisited = 1000;

std::function<QDateTime()>& historyClock()
{
    static std::function<QDateTime()> now;
    return now;
}

QDateTime localMidnight(const QDate& day) { return QDateTime(day, QTime(0, 0)).toUTC(); }

QDate weekStart(const QDate& day) { return day.addDays(1 - day.dayOfWeek()); }

QString englishDayName(const QDate& day) { return QLocale(QLocale::English).standaloneDayName(day.dayOfWeek()); }

// Which file a path names now: a store replaced on disk is another one.
ino_t fileNumber(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

// The store the namespace reads, opened once per profile and kept open: a
// menu or a list asks it many small questions in a row.
TUrlHistory& store()
{
    static std::unique_ptr<TUrlHistory> history;
    static QString file;
    static ino_t number = 0;
    const QString wanted = TUrlHistory::DefaultFile();
    const ino_t now = fileNumber(wanted);
    if (!history || file != wanted || number != now) {
        history = std::make_unique<TUrlHistory>(wanted);
        file = wanted;
        number = fileNumber(wanted);
    }
    return *history;
}

// Titles of the pages listed last, so that naming each of a few thousand
// pages does not ask the store once per page. Dropped at every change.
struct TitleCache {
    QHash<QString, QString> titles;
    quint64 generation = ~quint64(0);
};

TitleCache& titleCache()
{
    static TitleCache cache;
    if (cache.generation != UrlHistoryGeneration()) {
        cache.titles.clear();
        cache.generation = UrlHistoryGeneration();
    }
    return cache;
}

QString titleOf(const QString& url)
{
    TitleCache& cache = titleCache();
    const auto known = cache.titles.constFind(url);
    if (known != cache.titles.constEnd())
        return *known;
    const auto entry = store().Find(url);
    const QString title = entry ? entry->Title : QString();
    cache.titles.insert(url, title);
    return title;
}

// A failing store is logged once per different failure, not at every menu
// that opens on it.
HRESULT storeFailed()
{
    static QString lastLogged;
    const QString why = store().LastError();
    if (why != lastLogged) {
        qCWarning(historyLog, "the history cannot be read: %s", qUtf8Printable(why));
        lastLogged = why;
    }
    return E_FAIL;
}

bool storeUsable() { return store().IsUsable(); }

UniquePidl itemOf(std::uint8_t kind, const QString& payload) { return MakeItem(kind, payload.toUtf8()); }

QCollator siteCollator()
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

HRESULT sitesOf(const THistoryPlace& at, std::vector<UniquePidl>& items)
{
    if (!storeUsable())
        return storeFailed();
    std::vector<QString> hosts;
    for (const TUrlHistorySite& site : store().Sites(at.from, at.to))
        hosts.push_back(site.Host);
    SortHistoryHosts(hosts);
    for (const QString& host : hosts)
        if (UniquePidl item = itemOf(ITEM_HISTORY_SITE, host))
            items.push_back(std::move(item));
    return S_OK;
}

HRESULT pagesOf(const std::vector<TUrlHistoryEntry>& pages, std::vector<UniquePidl>& items)
{
    TitleCache& cache = titleCache();
    items.reserve(pages.size());
    for (const TUrlHistoryEntry& page : pages) {
        cache.titles.insert(page.Url, page.Title);
        if (UniquePidl item = itemOf(ITEM_HISTORY_PAGE, page.Url))
            items.push_back(std::move(item));
    }
    return S_OK;
}

} // namespace

qint64 HistoryOthersChangeCount() { return store().OthersChangeCount(); }

QDateTime HistoryNow() { return historyClock() ? historyClock()() : QDateTime::currentDateTime(); }

void SetHistoryClock(std::function<QDateTime()> now) { historyClock() = std::move(now); }

std::vector<THistoryGroup> HistoryGroups(const QDateTime& now)
{
    const QDate today = now.toLocalTime().date();
    const QDate monday = weekStart(today);
    std::vector<THistoryGroup> groups;
    for (QDate day = today; day >= monday; day = day.addDays(-1))
        groups.push_back(HistoryGroupOfKey(QLatin1Char('D') + day.toString(Qt::ISODate), now));
    for (int weeks = 1; weeks <= 3; ++weeks)
        groups.push_back(HistoryGroupOfKey(QLatin1Char('W') + monday.addDays(-7 * weeks).toString(Qt::ISODate), now));
    return groups;
}

THistoryGroup HistoryGroupOfKey(const QString& key, const QDateTime& now)
{
    const QDate day = QDate::fromString(key.mid(1), Qt::ISODate);
    const bool isDay = key.startsWith(QLatin1Char('D'));
    if (!day.isValid() || (!isDay && !key.startsWith(QLatin1Char('W'))) || (!isDay && day.dayOfWeek() != 1))
        return {};
    const QDate today = now.toLocalTime().date();
    const QDate monday = weekStart(today);
    THistoryGroup group;
    group.Key = key;
    group.From = localMidnight(day);
    group.To = localMidnight(day.addDays(isDay ? 1 : 7));
    if (isDay) {
        if (day == today)
            group.Name = QStringLiteral("Today");
        else if (day >= monday && day < today)
            group.Name = englishDayName(day);
        else
            group.Name = englishDayName(day) + QLatin1Char(' ') + day.toString(Qt::ISODate);
    } else {
        const qint64 weeksAgo = day.daysTo(monday) / 7;
        if (weeksAgo == 1)
            group.Name = QStringLiteral("Last Week");
        else if (weeksAgo == 2 || weeksAgo == 3)
            group.Name = QStringLiteral("%1 Weeks Ago").arg(weeksAgo);
        else
            group.Name = QStringLiteral("Week of ") + day.toString(Qt::ISODate);
    }
    return group;
}

QString HistoryShownAddress(const QString& url)
{
    const qsizetype schemeEnd = url.indexOf(QLatin1String("://"));
    if (schemeEnd <= 0)
        return url;
    const qsizetype authority = schemeEnd + 3;
    qsizetype end = url.size();
    for (const QChar stop : {QLatin1Char('/'), QLatin1Char('?'), QLatin1Char('#')}) {
        const qsizetype at = url.indexOf(stop, authority);
        if (at >= 0)
            end = std::min(end, at);
    }
    const qsizetype userEnd = url.lastIndexOf(QLatin1Char('@'), end - 1);
    if (userEnd < authority)
        return url;
    return url.left(authority) + url.mid(userEnd + 1);
}

namespace {
// A title on one line: every kind of line break becomes a blank.
QString oneLine(QString title)
{
    for (QChar& c : title)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x2028) || c == QChar(0x2029)
            || c == QChar(0x85) || c == QChar(0x0B) || c == QChar(0x0C))
            c = QLatin1Char(' ');
    return title;
}
} // namespace

QString HistoryTipText(const QString& title, const QString& url)
{
    return oneLine(title) + QLatin1Char('\n') + HistoryShownAddress(url);
}

QString HistorySiteName(const QString& host) { return host.isEmpty() ? SpecialFolderDisplayName(CSIDL_DRIVES) : host; }

void SortHistoryHosts(std::vector<QString>& hosts)
{
    // Each name's key is made once; comparing keys is far cheaper than
    // comparing names through the collator at every step of the sort.
    const QCollator collator = siteCollator();
    std::vector<std::pair<QCollatorSortKey, QString>> named; // key, host
    named.reserve(hosts.size());
    for (const QString& host : hosts)
        named.emplace_back(collator.sortKey(HistorySiteName(host).toCaseFolded()), host);
    std::sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    for (size_t i = 0; i < named.size(); ++i)
        hosts[i] = std::move(named[i].second);
}

UniquePidl HistoryViewItem(const QString& view) { return itemOf(ITEM_HISTORY_VIEW, view); }

namespace {

struct GroupSpan {
    bool valid = false;
    QDateTime from, to;
};

// A group's span depends on its key and the time zone only, not on the
// clock. Every step through a group item needs it, and a thousand sites or
// pages named, tipped and given icons make thousands of steps: the spans
// are kept.
GroupSpan groupSpan(const QString& key)
{
    static QHash<QString, GroupSpan> spans;
    static QByteArray zone;
    const QByteArray currentZone = qgetenv("TZ");
    if (zone != currentZone) {
        spans.clear();
        zone = currentZone;
    }
    const auto known = spans.constFind(key);
    if (known != spans.constEnd())
        return *known;
    const THistoryGroup group = HistoryGroupOfKey(key, HistoryNow());
    GroupSpan span{!group.Key.isEmpty(), group.From, group.To};
    if (spans.size() > 64)
        spans.clear();
    spans.insert(key, span);
    return span;
}

} // namespace

THistoryPlace HistoryRootPlace()
{
    THistoryPlace root;
    root.kind = THistoryPlace::Kind::Root;
    return root;
}

THistoryPlace HistoryStep(const THistoryPlace& from, LPCITEMIDLIST item)
{
    using Kind = THistoryPlace::Kind;
    const std::uint8_t kind = ItemKind(item);
    const QString payload = QString::fromUtf8(ItemPayload(item));
    THistoryPlace to = from;
    if (from.kind == Kind::Root && kind == ITEM_HISTORY_GROUP) {
        const GroupSpan span = groupSpan(payload);
        if (!span.valid)
            return {};
        to.kind = Kind::Group;
        to.group = payload;
        to.from = span.from;
        to.to = span.to;
    } else if (from.kind == Kind::Root && kind == ITEM_HISTORY_VIEW
        && (payload == QLatin1String("site") || payload == QLatin1String("visits"))) {
        to.kind = Kind::View;
        to.view = payload;
    } else if (kind == ITEM_HISTORY_SITE
        && (from.kind == Kind::Group || (from.kind == Kind::View && from.view == QLatin1String("site")))) {
        to.kind = Kind::Site;
        to.host = payload;
    } else if (kind == ITEM_HISTORY_PAGE && !payload.isEmpty()
        && (from.kind == Kind::Site || (from.kind == Kind::View && from.view == QLatin1String("visits")))) {
        to.kind = Kind::Page;
        to.url = payload;
    } else {
        return {};
    }
    return to;
}

bool HistoryIsFolder(const THistoryPlace& at)
{
    return at.kind != THistoryPlace::Kind::Invalid && at.kind != THistoryPlace::Kind::Page;
}

HRESULT HistoryChildren(const THistoryPlace& at, std::vector<UniquePidl>& items)
{
    using Kind = THistoryPlace::Kind;
    items.clear();
    switch (at.kind) {
    case Kind::Root: {
        if (!storeUsable())
            return storeFailed();
        for (const THistoryGroup& group : HistoryGroups(HistoryNow()))
            if (store().HasVisits(group.From, group.To))
                if (UniquePidl item = itemOf(ITEM_HISTORY_GROUP, group.Key))
                    items.push_back(std::move(item));
        return S_OK;
    }
    case Kind::Group:
        return sitesOf(at, items);
    case Kind::View:
        if (!storeUsable())
            return storeFailed();
        if (at.view == QLatin1String("site"))
            return sitesOf(at, items);
        return pagesOf(store().MostVisited(kMostVisited), items);
    case Kind::Site:
        if (!storeUsable())
            return storeFailed();
        return pagesOf(store().SitePages(at.host, at.from, at.to, kPageLimit), items);
    case Kind::Page:
    case Kind::Invalid:
        break;
    }
    return E_INVALIDARG;
}

QString HistoryDisplayName(const THistoryPlace& at)
{
    using Kind = THistoryPlace::Kind;
    switch (at.kind) {
    case Kind::Root:
        return SpecialFolderDisplayName(CSIDL_HISTORY);
    case Kind::Group:
        return HistoryGroupOfKey(at.group, HistoryNow()).Name;
    case Kind::View:
        return at.view == QLatin1String("site") ? QStringLiteral("By Site") : QStringLiteral("Most Visited");
    case Kind::Site:
        return HistorySiteName(at.host);
    case Kind::Page: {
        const QString title = oneLine(titleOf(at.url));
        return title.trimmed().isEmpty() ? HistoryShownAddress(at.url) : title;
    }
    case Kind::Invalid:
        break;
    }
    return {};
}

QString HistoryParsingName(const THistoryPlace& at)
{
    return at.kind == THistoryPlace::Kind::Page ? HistoryShownAddress(at.url) : QString();
}

QString HistoryTip(const THistoryPlace& at)
{
    return at.kind == THistoryPlace::Kind::Page ? HistoryTipText(titleOf(at.url), at.url) : HistoryDisplayName(at);
}

int HistoryIconIndex(const THistoryPlace& at)
{
    // Indices are stable for the life of the process, and looking one up
    // makes a fallback icon each time: a day of a thousand sites asks a
    // thousand times.
    SystemImageList& icons = SystemImageList::instance();
    static const int folder = icons.indexOfFolder();
    static const int page = icons.indexOfFileType(QStringLiteral("*.htm"));
    switch (at.kind) {
    case THistoryPlace::Kind::Root:
        return icons.indexOfSpecialFolder(CSIDL_HISTORY);
    case THistoryPlace::Kind::Page:
        return page;
    case THistoryPlace::Kind::Invalid:
        return -1;
    default:
        return folder;
    }
}
