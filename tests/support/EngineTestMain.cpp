// main() for tests of the real page engine: HOME and the profile folder
// (ZARNWEB_HOME) are temporary folders of their own, so that the engine finds
// no earlier state and leaves nothing in the user's home, and the process is
// prepared for the engine before the QApplication exists.
#include "platform/webengine/QtWebBrowser.h"
#include "platform/webengine/WebEngineEnvironment.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir home;
    QTemporaryDir profile;
    qputenv("HOME", home.path().toUtf8());
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CACHE_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("ZARNWEB_HOME", profile.path().toUtf8());
    PrepareWebEngineEnvironment();
    InstallQtWebBrowser();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
