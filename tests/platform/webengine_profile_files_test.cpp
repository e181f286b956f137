// The engine keeps its files in the profile folder: with HOME and the profile
// in two temporary folders (EngineTestMain), a page that stores cookies and
// local storage leaves HOME empty and the engine's files in the profile.
#include "EngineTest.h"
#include "FixtureServer.h"
#include "platform/registry/Profile.h"
#include "platform/webengine/QtWebBrowser.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList entriesBelow(const QString& folder)
{
    QStringList entries;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next();
    return entries;
}

TEST(EngineProfileFiles, APageWithStorageWritesNothingUnderHome)
{
    FixtureServer server;
    server.server().Get("/store", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html><body><script>document.cookie = 'kept=1; max-age=3600';"
                        "localStorage.setItem('kept', 'yes');</script></body></html>",
            "text/html");
    });
    server.start();
    {
        QtWebBrowser browser;
        browser.window()->resize(400, 300);
        browser.window()->show();
        ASSERT_TRUE(NavigateAndWait(browser, QString::fromStdString(server.url("/store"))));
        EXPECT_EQ(RunScript(browser.page(), QStringLiteral("localStorage.getItem('kept')")), QVariant("yes"));
    }
    const QString engineFolder = ProfileFolder() + QStringLiteral("/Engine");
    // The engine writes its preferences a while after it starts.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(engineFolder + "/user_prefs.json"); }, 30000));
    EXPECT_TRUE(QFileInfo(engineFolder + "/Local Storage").isDir());
    const QStringList underHome = entriesBelow(QDir::homePath());
    EXPECT_TRUE(underHome.isEmpty()) << underHome.join(u'\n').toStdString();
}

} // namespace
