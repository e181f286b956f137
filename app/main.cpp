// ZarnWeb: starts the application, shows the main window maximised (opening
// the address given as an argument, if any), tells about settings files left
// untouched and runs the message loop until the window closes.
#include "app/SettingsNotice.h"
#include "app/unitZarnWeb.h"
#include "platform/registry/Profile.h"
#include "platform/ui/Application.h"
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"
#include "tools/BrowserSettings.h"
#include "tools/DocumentCommands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

#include <cstdio>

namespace {
// With ZARNWEB_EXIT_AFTER_LOAD=1 the program reports how long the main
// browser took from program start to its first complete page, then quits.
void exitAfterFirstPage(TfrmMain& window, const QElapsedTimer& started)
{
    if (qEnvironmentVariable("ZARNWEB_EXIT_AFTER_LOAD") != QLatin1String("1"))
        return;
    QObject::connect(&window, &TfrmMain::MainDocumentComplete, &window, [&started](const QString& url) {
        std::printf("ZarnWeb: document complete after %lld ms: %s\n", static_cast<long long>(started.elapsed()),
            qUtf8Printable(url));
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}
} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer started;
    started.start();
    PrepareWebEngineEnvironment();
    InstallQtWebBrowser();
    InstallDocumentCommands();
    // The engine's start-up report is for engine developers; QT_LOGGING_RULES
    // still turns it back on.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QApplication app(argc, argv);
    SetSystemDefaults(DesktopSystemDefaults(QString::fromLatin1(qWebEngineChromiumVersion())));
    EnsureProfileDefaults();

    TfrmMain frmMain;
    frmMain.StartAddress = StartAddressArgument(QCoreApplication::arguments());
    SetApplicationMainForm(&frmMain);
    exitAfterFirstPage(frmMain, started);
    frmMain.showMaximized();
    ReportUntouchedHives();
    return app.exec();
}
