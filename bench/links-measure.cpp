// GetPageLinks on a page of 10,000 links: the page is written into the
// browser once, then the links are listed several times; prints the median
// time in milliseconds and the number of lines.
#include "browserhost/DocumentOps.h"
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"
#include "tools/DocumentTools.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    constexpr int Links = 10000;
    constexpr int Runs = 5;
    QTemporaryDir profile;
    qputenv("ZARNWEB_HOME", profile.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareWebEngineEnvironment();
    InstallQtWebBrowser();
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QApplication application(argc, argv);
    QWidget window;
    window.resize(800, 600);
    auto* browser = new TSextant(&window);
    browser->setGeometry(0, 0, 800, 600);
    window.show();
    QStringList page{QStringLiteral("<html><body>")};
    for (int i = 0; i < Links; ++i)
        page << QStringLiteral("<a href=\"https://example.org/page/%1\">link %1</a>").arg(i);
    page << QStringLiteral("</body></html>");
    if (LoadFromStrings(*browser, page) != S_OK) {
        std::fprintf(stderr, "links-measure: the page could not be loaded\n");
        return 1;
    }
    std::vector<double> times;
    QStringList lines;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        GetPageLinks(browser->DefaultInterface(), lines);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("GetPageLinks, %d links: median %.1f ms over %d runs (%lld lines)\n", Links, times[Runs / 2], Runs,
        static_cast<long long>(lines.size()));
    return lines.size() == Links ? 0 : 1;
}
