// main() of a journey executable: the program's own start-up (engine,
// document commands, system defaults, profile) in a home, profile and
// current folder of the run's own, and the fixture server.
#include "Journey.h"
#include "TempHome.h"

#include "platform/registry/Profile.h"
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"
#include "tools/BrowserSettings.h"
#include "tools/DocumentCommands.h"

#include <QApplication>
#include <QDir>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

int main(int argc, char** argv)
{
    TempHome home;
    QDir().mkpath(home.path(QStringLiteral("Documents")));
    QDir::setCurrent(home.path());
    PrepareWebEngineEnvironment();
    InstallQtWebBrowser();
    InstallDocumentCommands();
    QApplication app(argc, argv);
    SetSystemDefaults(DesktopSystemDefaults(QString::fromLatin1(qWebEngineChromiumVersion())));
    EnsureProfileDefaults();
    JourneyPages::Start();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    JourneyPages::Stop();
    return result;
}
