// The URL history store under a full history: prefix lookups as completion
// makes them at each key, and clearing, over 100,000 visited addresses.
// Prints the median, 95th percentile and slowest of each kind of lookup, and
// the median of several clears.
// Usage: history-measure [visits] [clear-runs]
#include "platform/inet/UrlHistory.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int Suggestions = 20; // what completion asks for

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The value below which the given fraction of the values lie.
double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(fraction * double(values.size())))];
}

double median(const std::vector<double>& values) { return percentile(values, 0.5); }

// A history as a user gathers it: hosts with names of 4 to 10 letters,
// about 20 pages each, some visited many times; times spread over a year.
// Every address is distinct, so the store holds `count` rows.
struct History {
    std::vector<QString> hosts;
    std::vector<TUrlHistoryEntry> visits;
};

History makeHistory(int count)
{
    std::mt19937 random(7);
    const auto letters = [&](int min, int max) {
        QString word;
        const int length = std::uniform_int_distribution<int>(min, max)(random);
        for (int i = 0; i < length; ++i)
            word += QChar(u'a' + std::uniform_int_distribution<int>(0, 25)(random));
        return word;
    };
    History history;
    const char* const tlds[] = {"com", "org", "net", "de", "io"};
    for (int i = 0; i < count / 20; ++i)
        history.hosts.push_back(letters(4, 10) + QLatin1Char('.') + QLatin1String(tlds[i % 5]));
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-365);
    std::geometric_distribution<int> extraVisits(0.5);
    for (int i = 0; i < count; ++i) {
        const QString& host = history.hosts[i % history.hosts.size()];
        const QString url = QStringLiteral("%1://%2%3/%4/%5")
                                .arg(i % 3 ? QStringLiteral("https") : QStringLiteral("http"),
                                    i % 2 ? QStringLiteral("www.") : QString(), host, letters(3, 8))
                                .arg(i);
        const QDateTime when = start.addSecs(std::uniform_int_distribution<int>(0, 365 * 86400)(random));
        for (int visit = extraVisits(random); visit >= 0; --visit)
            history.visits.push_back({url, QStringLiteral("Page %1").arg(i), when, 1});
    }
    return history;
}

// Times each prefix's lookup and prints the median, the 95th percentile and
// the slowest.
void measureLookups(TUrlHistory& store, const char* kind, const std::vector<QString>& prefixes)
{
    std::vector<double> times;
    size_t found = 0;
    for (const QString& prefix : prefixes) {
        const auto begin = Clock::now();
        found += store.MatchPrefix(prefix, Suggestions).size();
        times.push_back(msSince(begin));
    }
    std::printf("lookup %-20s %zu prefixes  median %.3f ms  95%% %.3f ms  slowest %.3f ms  %.1f found on average\n",
        kind, prefixes.size(), median(times), percentile(times, 0.95), *std::max_element(times.begin(), times.end()),
        double(found) / double(prefixes.size()));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int clearRuns = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("history.sqlite"));
    const History history = makeHistory(count);

    TUrlHistory store(file);
    auto begin = Clock::now();
    if (!store.AddVisits(history.visits)) {
        std::fprintf(stderr, "history-measure: %s\n", qPrintable(store.LastError()));
        return 1;
    }
    std::printf("filled %d addresses (%zu visits) in %.0f ms\n", store.Count(), history.visits.size(), msSince(begin));

    std::vector<QString> first, three, wholeHost, withPath, nothing;
    for (size_t i = 0; i < 500; ++i) {
        const QString& host = history.hosts[(i * 7919) % history.hosts.size()];
        first.push_back(host.left(1));
        three.push_back(host.left(3));
        wholeHost.push_back(host);
        withPath.push_back(QStringLiteral("www.") + host + QStringLiteral("/") + QChar(char16_t(u'a' + i % 26)));
        nothing.push_back(QStringLiteral("qqq") + host);
    }
    measureLookups(store, "first letter", first);
    measureLookups(store, "three letters", three);
    measureLookups(store, "whole host", wholeHost);
    measureLookups(store, "www., host and path", withPath);
    measureLookups(store, "matching nothing", nothing);

    std::vector<double> clears;
    for (int run = 0; run < clearRuns; ++run) {
        if (run > 0 && !store.AddVisits(history.visits))
            return 1;
        const int rows = store.Count();
        begin = Clock::now();
        if (!store.Clear()) {
            std::fprintf(stderr, "history-measure: %s\n", qPrintable(store.LastError()));
            return 1;
        }
        clears.push_back(msSince(begin));
        std::printf("clear run %d: %d rows in %.1f ms\n", run + 1, rows, clears.back());
    }
    std::printf("clear median %.1f ms over %d runs\n", median(clears), clearRuns);
    return store.Count() == 0 ? 0 : 1;
}
