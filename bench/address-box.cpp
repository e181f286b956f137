// The address box's costs that the user feels: from a keystroke to the
// completion list showing, with 10,000 addresses in the URL history store,
// and the start of a box whose typed-address list is full.
#include "addressbar/IEAddress.h"
#include "platform/inet/UrlHistory.h"
#include "platform/registry/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/shell/AutoComplete.h"

#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kHistoryEntries = 10000;

void seedHistory()
{
    TUrlHistory history;
    if (history.Count() >= kHistoryEntries)
        return;
    std::vector<TUrlHistoryEntry> visits;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < kHistoryEntries; ++i)
        visits.push_back({QStringLiteral("http://www.site%1.example/page%2.html").arg(i % 500).arg(i), {}, now, 1});
    history.AddVisits(visits);
}

void seedTypedUrls()
{
    TRegistry reg;
    reg.OpenKey(QStringLiteral("\\Software\\Microsoft\\Internet Explorer\\TypedURLs"), true);
    for (int n = 1; n <= TCustomIEAddress::TypedUrlsRead; ++n)
        reg.WriteString(QStringLiteral("Url%1").arg(n), QStringLiteral("http://typed%1.example/path/").arg(n));
}

// One keystroke that completes "site<n>" to a list, until the list is shown
// and painted.
void KeystrokeToCompletionList(benchmark::State& state)
{
    seedHistory();
    TIEAddress box;
    box.resize(430, 22);
    box.Loaded();
    box.show();
    QLineEdit* edit = box.lineEdit();
    TAutoComplete* completion = TAutoComplete::Of(edit);
    int site = 0;
    for (auto _ : state) {
        state.PauseTiming();
        completion->Popup()->hide();
        edit->setText(QStringLiteral("site%1").arg(site++ % 500).chopped(1));
        const QChar last = QStringLiteral("site%1").arg((site - 1) % 500).back();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QTest::keyClick(edit, last.toLatin1());
        QCoreApplication::processEvents();
        if (!completion->Popup()->isVisible())
            state.SkipWithError("the completion list did not show");
    }
}
BENCHMARK(KeystrokeToCompletionList)->Unit(benchmark::kMillisecond);

// Creating a box and loading its full typed-address list (25 values).
void StartWithFullTypedList(benchmark::State& state)
{
    seedTypedUrls();
    for (auto _ : state) {
        TIEAddress box;
        box.Loaded();
        benchmark::DoNotOptimize(box.count());
    }
}
BENCHMARK(StartWithFullTypedList)->Unit(benchmark::kMillisecond);

// The history store's prefix lookup that completion makes at each key, over
// 100,000 visited addresses.
void HistoryPrefixLookup(benchmark::State& state)
{
    QTemporaryDir folder;
    TUrlHistory history(folder.filePath(QStringLiteral("history.sqlite")));
    std::vector<TUrlHistoryEntry> visits;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < 100000; ++i)
        visits.push_back({QStringLiteral("https://www.host%1.example/path/%2").arg(i % 2000).arg(i), {}, now, 1});
    history.AddVisits(visits);
    int host = 0;
    for (auto _ : state) {
        const auto found
            = history.MatchPrefix(QStringLiteral("host%1").arg(host++ % 2000), TAutoComplete::MaxSuggestions);
        if (found.empty())
            state.SkipWithError("nothing found");
    }
}
BENCHMARK(HistoryPrefixLookup)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir profile;
    qputenv("ZARNWEB_HOME", profile.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    EnsureProfileDefaults();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
