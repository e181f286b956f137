// The main window's share of a busy page's load: the time spent in its
// handlers of the main browser's events, and apart from it the event log's
// deferred work (adding the batched lines, painting the list), against the
// time from Navigate to the page's completion. The page comes from a loopback
// server: 50 frames and 500 pictures, none of them cacheable. One load warms
// up; the figures of the following runs are printed with their medians.
#include "FixtureServer.h"
#include "app/unitZarnWeb.h"
#include "browserhost/Sextant.h"
#include "platform/registry/Profile.h"
#include "platform/ui/Application.h"
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Frames = 50;
constexpr int Pictures = 500;
constexpr unsigned LoadTimeOutMs = 120000;

// A transparent 1 x 1 GIF.
const std::string Picture("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\x00\x00\x00"
                          "!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
    43);

std::string busyPage(const std::string& run)
{
    std::string page = "<!doctype html><title>busy page</title>";
    for (int i = 0; i < Frames; ++i)
        page += "<iframe width=40 height=30 src='/frame/" + std::to_string(i) + "?run=" + run + "'></iframe>";
    for (int i = 0; i < Pictures; ++i)
        page += "<img width=8 height=8 src='/picture/" + std::to_string(i) + ".gif?run=" + run + "'>";
    return page;
}

// Time spent inside measured calls; a call nested in another measured one
// counts once.
struct Stopwatch {
    Clock::duration total{};
    int depth = 0;
    long calls = 0;

    template <class Work> decltype(auto) time(Work&& work)
    {
        struct Scope {
            Stopwatch& watch;
            Clock::time_point start = Clock::now();
            explicit Scope(Stopwatch& w) : watch(w) { ++watch.depth; }
            ~Scope()
            {
                if (--watch.depth == 0)
                    watch.total += Clock::now() - start;
            }
        } scope(*this);
        ++calls;
        return work();
    }
    void reset() { total = {}, calls = 0; }
};

Stopwatch handlers;
Stopwatch logWork;

template <class... Args> void measure(std::function<void(Args...)>& handler)
{
    if (!handler)
        return;
    handler
        = [inner = std::move(handler)](Args... args) { handlers.time([&] { inner(std::forward<Args>(args)...); }); };
}

void measureHandlers(TSextant& browser)
{
    measure(browser.OnBeforeNavigate2);
    measure(browser.OnNavigateComplete2);
    measure(browser.OnDocumentComplete);
    measure(browser.OnDownloadBegin);
    measure(browser.OnDownloadComplete);
    measure(browser.OnProgressChange);
    measure(browser.OnStatusTextChange);
    measure(browser.OnTitleChange);
    measure(browser.OnCommandStateChange);
    measure(browser.OnPropertyChange);
    measure(browser.OnNewWindow2);
    measure(browser.OnVisible);
    measure(browser.OnFullScreen);
    measure(browser.OnSetSecureLockIcon);
    measure(browser.OnScriptError);
    measure(browser.OnShowDialog);
}

// Times the event log's deferred work: the main window's timers (its batch
// of log lines) and every event of the log's list and its viewport.
class MeasuringApplication : public QApplication {
public:
    using QApplication::QApplication;
    TfrmMain* window = nullptr;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (!window || !isEventLogWork(receiver, event))
            return QApplication::notify(receiver, event);
        return logWork.time([&] { return QApplication::notify(receiver, event); });
    }

private:
    bool isEventLogWork(QObject* receiver, QEvent* event) const
    {
        if (receiver == window->lvEventLog || receiver == window->lvEventLog->viewport())
            return true;
        return event->type() == QEvent::Timer && qobject_cast<QTimer*>(receiver) && receiver->parent() == window;
    }
};

double ms(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    QTemporaryDir profile;
    qputenv("ZARNWEB_HOME", profile.path().toUtf8());
    PrepareWebEngineEnvironment();
    InstallQtWebBrowser();
    MeasuringApplication app(argc, argv);
    EnsureProfileDefaults();

    FixtureServer server;
    // Requests served during a run, to show that the whole page loaded.
    std::atomic<int> framesServed = 0;
    std::atomic<int> picturesServed = 0;
    const auto uncached = [](httplib::Response& response, const std::string& body, const char* type) {
        response.set_header("Cache-Control", "no-store");
        response.set_content(body, type);
    };
    server.server().Get("/page", [&](const httplib::Request& request, httplib::Response& response) {
        uncached(response, busyPage(request.get_param_value("run")), "text/html");
    });
    server.server().Get(R"(/frame/(\d+))", [&](const httplib::Request& request, httplib::Response& response) {
        ++framesServed;
        uncached(response, "<!doctype html><title>frame</title><p>frame " + request.matches[1].str(), "text/html");
    });
    server.server().Get(R"(/picture/(\d+)\.gif)", [&](const httplib::Request&, httplib::Response& response) {
        ++picturesServed;
        uncached(response, Picture, "image/gif");
    });
    server.start();

    TfrmMain window;
    SetApplicationMainForm(&window);
    window.show();
    window.Sextant1->Wait(LoadTimeOutMs);
    measureHandlers(*window.Sextant1);
    app.window = &window;

    std::printf("%-5s %10s %12s %9s %12s %9s %8s %8s %8s\n", "run", "load ms", "handlers ms", "share %", "log work ms",
        "share %", "events", "frames", "pictures");
    std::vector<double> handlerShares;
    std::vector<double> logShares;
    std::vector<double> loads;
    for (int run = 0; run <= runs; ++run) {
        handlers.reset();
        logWork.reset();
        framesServed = 0;
        picturesServed = 0;
        const std::string url = server.url("/page?run=" + std::to_string(run));
        const Clock::time_point start = Clock::now();
        window.Sextant1->Navigate(QString::fromStdString(url).toStdU16String());
        if (!window.Sextant1->Wait(LoadTimeOutMs)) {
            std::fprintf(stderr, "event-handlers-measure: the page did not complete\n");
            return 1;
        }
        const double load = ms(Clock::now() - start);
        // The log's last batch goes into the list after the completion.
        QApplication::processEvents();
        const double handlerShare = 100 * ms(handlers.total) / load;
        const double logShare = 100 * ms(logWork.total) / load;
        std::printf("%-5s %10.1f %12.2f %9.2f %12.2f %9.2f %8ld %8d %8d\n", run ? std::to_string(run).c_str() : "warm",
            load, ms(handlers.total), handlerShare, ms(logWork.total), logShare, handlers.calls, framesServed.load(),
            picturesServed.load());
        if (run == 0)
            continue;
        loads.push_back(load);
        handlerShares.push_back(handlerShare);
        logShares.push_back(logShare);
    }
    std::printf("median of %d runs: load %.1f ms, handlers %.2f %% of it, event log's deferred work %.2f %%\n", runs,
        median(loads), median(handlerShares), median(logShares));
    app.window = nullptr;
    SetApplicationMainForm(nullptr);
    return 0;
}
