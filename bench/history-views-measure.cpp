// The history views over a full history: a generated store of 100,000
// addresses over 20 days and 3,000 hosts (one of them with 2,000 pages
// today), and the in-process times of what the user waits for.
// Usage: history-views-measure generate PROFILE
//          writes the store into PROFILE/History/history.sqlite
//        history-views-measure measure PROFILE [runs]
//          prints the median of each measure over runs (5 by default)
#include "favorites/HistoryListView.h"
#include "favorites/HistoryMenu.h"
#include "platform/inet/UrlHistory.h"
#include "platform/shell/HistoryFolder.h"
#include "platform/shell/ShellFolder.h"
#include "platform/shell/SpecialFolders.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msOf(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const QString kBigSite = QStringLiteral("big-site.test");

int generate()
{
    std::mt19937 random(26);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    std::vector<TUrlHistoryEntry> visits;
    visits.reserve(100000);
    // Today's first hour after midnight holds the big site, so it is always
    // in "Today".
    const QDateTime today = QDateTime(QDate::currentDate(), QTime(0, 0)).toUTC();
    for (int page = 0; page < 2000; ++page)
        visits.push_back({QStringLiteral("https://%1/page/%2").arg(kBigSite).arg(page),
            QStringLiteral("Big page %1").arg(page), today.addSecs(page), 1});
    std::uniform_int_distribution<qint64> age(0, 20LL * 24 * 3600 - 1);
    std::uniform_int_distribution<int> host(0, 2999);
    for (int page = 2000; page < 100000; ++page)
        visits.push_back({QStringLiteral("https://host%1.test/p/%2").arg(host(random)).arg(page),
            QStringLiteral("Page %1 of a generated history").arg(page), now.addSecs(-age(random)), 1});
    TUrlHistory history;
    if (!history.AddVisits(visits)) {
        std::fprintf(stderr, "history-views-measure: %s\n", qUtf8Printable(history.LastError()));
        return 1;
    }
    std::printf("%d addresses in %s\n", history.Count(), qUtf8Printable(TUrlHistory::DefaultFile()));
    return 0;
}

UniquePidl historyList()
{
    UniquePidl list;
    SHGetSpecialFolderLocation(nullptr, CSIDL_HISTORY, list);
    return list;
}

int measure(int runs)
{
    std::vector<double> createMenu, fillDay, browseSite, recordVisit;
    QTemporaryDir scratch;
    for (int run = 0; run < runs; ++run) {
        // A fresh process's first menu: the store opened and the groups found.
        {
            THistoryMenu menu;
            QMenu* top = nullptr;
            createMenu.push_back(msOf([&] { top = menu.CreateMenu(); }));
            // The day with the most sites, filled as it opens and painted.
            QMenu* day = top->actions().first()->menu();
            fillDay.push_back(msOf([&] {
                QMetaObject::invokeMethod(day, "aboutToShow");
                day->adjustSize();
                day->grab();
            }));
        }
        {
            THistoryListView view;
            view.resize(400, 800);
            std::shared_ptr<IShellFolder> desktop;
            SHGetDesktopFolder(desktop);
            const UniquePidl history = historyList();
            std::vector<UniquePidl> groups;
            std::shared_ptr<IShellFolder> root;
            desktop->BindToObject(history.get(), root);
            root->EnumObjects(SHCONTF_FOLDERS, groups);
            const UniquePidl site = MakeItem(ITEM_HISTORY_SITE, kBigSite.toUtf8());
            const UniquePidl today = JoinLists(history.get(), groups.front().get());
            const UniquePidl bigSite = JoinLists(today.get(), site.get());
            browseSite.push_back(msOf([&] {
                view.BrowseFolder(bigSite.get());
                view.grab();
            }));
        }
        {
            TUrlHistory own(scratch.filePath(QStringLiteral("record-%1.sqlite").arg(run)));
            own.AddVisit(QStringLiteral("https://warm.test/"), QStringLiteral("warm"));
            std::vector<double> each;
            for (int i = 0; i < 50; ++i)
                each.push_back(msOf(
                    [&] { own.AddVisit(QStringLiteral("https://visit.test/%1").arg(i), QStringLiteral("A visit")); }));
            recordVisit.push_back(median(each));
        }
    }
    std::printf("CreateMenu (fresh store, 100,000 addresses): %.2f ms (goal 10 ms)\n", median(createMenu));
    std::printf("a day's sites filled and painted: %.2f ms (goal 16.7 ms)\n", median(fillDay));
    std::printf("BrowseFolder into a 2,000-page site, painted: %.2f ms (goal 20 ms)\n", median(browseSite));
    std::printf("recording a visit: %.3f ms (goal 0.5 ms)\n", median(recordVisit));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: history-views-measure generate|measure PROFILE [runs]\n");
        return 2;
    }
    qputenv("ZARNWEB_HOME", argv[2]);
    QApplication app(argc, argv);
    const QString verb = QString::fromLocal8Bit(argv[1]);
    if (verb == QLatin1String("generate"))
        return generate();
    return measure(argc > 3 ? std::max(1, atoi(argv[3])) : 5);
}
