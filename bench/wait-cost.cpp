// Processor time of one TSextant::Wait on a page that never completes: the
// component's thread (the wait loop itself) and the whole process (with the
// page engine's threads), against the wall time the wait lasted; beside it,
// a loop of bare 1 ms sleeps for as long, the floor of any such wait. Then
// the delay from a loopback page's own load event to Wait returning after
// Go, over several loads.
#include "FixtureServer.h"
#include "browserhost/Sextant.h"
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& tv) { return tv.tv_sec * 1e3 + tv.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Microseconds since the epoch, the clock the page's timeOrigin counts on.
double epochMicroseconds()
{
    using namespace std::chrono;
    return double(duration_cast<microseconds>(system_clock::now().time_since_epoch()).count());
}

// The page notes the moment of its load event (epoch microseconds) in its title.
constexpr char LoadTimePage[] = "<!doctype html><title>loading</title><p>A page that completes."
                                "<script>addEventListener('load', () => { document.title ="
                                " String(Math.round((performance.timeOrigin + performance.now()) * 1000)); });"
                                "</script>";

// Median delay, in milliseconds, from the page's load event to Wait returning.
double loadToWaitMedianMs(TSextant& browser, int loads)
{
    FixtureServer server;
    server.server().Get("/page",
        [](const httplib::Request&, httplib::Response& response) { response.set_content(LoadTimePage, "text/html"); });
    server.start();
    std::vector<double> delays;
    for (int i = 0; i < loads; ++i) {
        const QString url = QString::fromStdString(server.url("/page?n=" + std::to_string(i)));
        if (!browser.Go(url, 10000))
            continue;
        const double returned = epochMicroseconds();
        // The title may reach the host just after the completion.
        bool ok = false;
        double loaded = 0;
        QElapsedTimer titleWait;
        titleWait.start();
        while (!ok && titleWait.elapsed() < 2000) {
            loaded = QString::fromStdU16String(browser.LocationName()).toDouble(&ok);
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        if (ok)
            delays.push_back((returned - loaded) / 1000.0);
    }
    if (delays.empty())
        return -1;
    std::sort(delays.begin(), delays.end());
    return delays[delays.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const unsigned timeOut = argc > 1 ? unsigned(std::strtoul(argv[1], nullptr, 10)) : 5000;
    QTemporaryDir home;
    qputenv("ZARNWEB_HOME", home.path().toUtf8());
    PrepareWebEngineEnvironment();
    InstallQtWebBrowser();
    QApplication app(argc, argv);

    TSextant browser;
    browser.resize(800, 600);
    browser.show();
    // Let the engine finish starting so that its start-up is not counted.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1000) {
        QApplication::processEvents();
        QThread::msleep(5);
    }

    // Nothing was navigated, so the document never completes and the wait
    // runs to its time-out.
    const double thread0 = threadCpuMs();
    const double process0 = processCpuMs();
    QElapsedTimer wall;
    wall.start();
    const bool completed = browser.Wait(timeOut);
    const double wallMs = double(wall.elapsed());
    const double threadMs = threadCpuMs() - thread0;
    const double processMs = processCpuMs() - process0;

    // The floor on this machine: the same time spent in bare 1 ms sleeps.
    const double floor0 = threadCpuMs();
    QElapsedTimer bare;
    bare.start();
    while (bare.elapsed() < qint64(wallMs))
        QThread::msleep(1);
    const double floorMs = threadCpuMs() - floor0;

    std::printf("wait_result=%s\n", completed ? "true" : "false");
    std::printf("wall_ms=%.0f\n", wallMs);
    std::printf("wait_thread_cpu_ms=%.1f (%.2f%% of one core)\n", threadMs, 100.0 * threadMs / wallMs);
    std::printf("process_cpu_ms=%.1f (%.2f%% of one core)\n", processMs, 100.0 * processMs / wallMs);
    std::printf("bare_sleep_loop_cpu_ms=%.1f (%.2f%% of one core)\n", floorMs, 100.0 * floorMs / wallMs);
    std::printf("load_event_to_wait_return_median_ms=%.2f\n", loadToWaitMedianMs(browser, 21));
    return 0;
}
