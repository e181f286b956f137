// The cost of a TSextant tool operation that does not wait, against calling
// the tool it forwards to: the operation looks up its row, supplies what the
// row says and calls the registered tool. Two rows: one supplying nothing
// (GetCookiesPath) and one supplying the component (SearchInGoogle); the
// registered tools do nothing, so the difference is the forwarding alone.
#include "browserhost/Sextant.h"
#include "browserhost/ToolForwarders.h"
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

TSextant* browser = nullptr;

QString cookiesPath() { return QStringLiteral("/profile/Cookies"); }
void search(TSextant& s, const QString& text) { benchmark::DoNotOptimize(&s), benchmark::DoNotOptimize(text.size()); }

void DirectTool(benchmark::State& state)
{
    for (auto _ : state) {
        QString text = cookiesPath();
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(DirectTool);

void ForwardedTool(benchmark::State& state)
{
    for (auto _ : state) {
        QString text;
        browser->GetCookiesPath(text);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(ForwardedTool);

void DirectToolWithBrowser(benchmark::State& state)
{
    const QString text = QStringLiteral("Sextant");
    for (auto _ : state)
        search(*browser, text);
}
BENCHMARK(DirectToolWithBrowser);

void ForwardedToolWithBrowser(benchmark::State& state)
{
    const QString text = QStringLiteral("Sextant");
    for (auto _ : state)
        browser->SearchInGoogle(text);
}
BENCHMARK(ForwardedToolWithBrowser);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("ZARNWEB_HOME", home.path().toUtf8());
    PrepareWebEngineEnvironment();
    InstallQtWebBrowser();
    QApplication app(argc, argv);
    TSextant sextant;
    browser = &sextant;
    SxtTools().GetCookiesPath = &cookiesPath;
    SxtTools().SearchInGoogle = &search;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
