// Processor time of one TSextant::Wait on a page that never completes: the
// component's thread (the wait loop itself) and the whole process (with the
// page engine's threads), against the wall time the wait lasted; beside it,
// a loop of bare 1 ms sleeps for as long, the floor of any such wait.
#include "browserhost/Sextant.h"
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

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
    return 0;
}
