// The browser on the real page engine against a loopback server: completed
// pages are recorded in the history store (not failed ones, nor those of a
// browser told not to record) and clearing empties it; working
// offline refuses the engine's and our own network requests and working
// online allows them again.
#include "EngineTest.h"
#include "FixtureServer.h"
#include "browserhost/Sextant.h"
#include "platform/inet/UrlHistory.h"
#include "tools/BrowserSettings.h"
#include "tools/DocumentTools.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>

namespace {

class BrowserHistoryOffline : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = new FixtureServer;
        auto& s = server->server();
        s.Get("/page", [](const httplib::Request&, httplib::Response& res) {
            ++hits;
            res.set_content(
                "<html><head><title>Fixture</title></head><body><iframe src=\"/frame\"></iframe></body></html>",
                "text/html");
        });
        s.Get("/frame", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><body>frame</body></html>", "text/html");
        });
        server->start();
        form = new QWidget;
        form->resize(640, 480);
        sextant = new TSextant(form);
        sextant->setGeometry(0, 0, 640, 480);
        form->show();
    }

    static void TearDownTestSuite()
    {
        WorkOnline();
        delete form;
        delete server;
    }

    void SetUp() override
    {
        WorkOnline();
        DeleteHistory();
        hits = 0;
    }

    static QString url(const char* path) { return QString::fromStdString(server->url(path)); }

    // Navigates and waits until the page is complete or has failed.
    static void navigate(const QString& address)
    {
        bool finished = false;
        sextant->OnDocumentComplete
            = [&](QObject*, IDispatch* disp, OleVariant&) { finished = finished || disp == sextant->Application(); };
        sextant->Navigate(address.toStdU16String());
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 20000));
        sextant->OnDocumentComplete = nullptr;
    }

    static inline FixtureServer* server = nullptr;
    static inline QWidget* form = nullptr;
    static inline TSextant* sextant = nullptr;
    static inline std::atomic<int> hits{0};
};

TEST_F(BrowserHistoryOffline, CompletedPagesAreRecordedAndClearingEmptiesTheStore)
{
    navigate(url("/page"));
    navigate(url("/page"));
    navigate(QStringLiteral("about:blank"));

    TUrlHistory history;
    const auto page = history.Find(url("/page"));
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->Title, QStringLiteral("Fixture"));
    EXPECT_EQ(page->VisitCount, 2);
    EXPECT_FALSE(history.Find(url("/frame"))) << "frames are not pages of their own";
    EXPECT_EQ(history.Count(), 1) << "about:blank is not recorded";

    EXPECT_TRUE(DeleteHistory());
    EXPECT_EQ(history.Count(), 0);
}

TEST_F(BrowserHistoryOffline, OnlyPagesThatLoadedInARecordingBrowserAreRecorded)
{
    EXPECT_TRUE(sextant->RecordHistory()) << "a browser records by default";
    navigate(QStringLiteral("http://127.0.0.1:1/unreachable"));
    EXPECT_EQ(TUrlHistory().Count(), 0) << "a page that failed to load is no visit";

    sextant->SetRecordHistory(false);
    navigate(url("/page"));
    sextant->SetRecordHistory(true);
    EXPECT_EQ(TUrlHistory().Count(), 0) << "a browser told not to record records nothing";

    navigate(url("/page"));
    EXPECT_EQ(TUrlHistory().Count(), 1);
}

TEST_F(BrowserHistoryOffline, OfflineRefusesNetworkRequestsUntilOnlineAgain)
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("page.html"));

    WorkOffline();
    EXPECT_TRUE(sextant->Offline());
    navigate(url("/page"));
    EXPECT_FALSE(DownloadFile(url("/page"), target));
    EXPECT_EQ(hits, 0);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_FALSE(TUrlHistory().Find(url("/page"))) << "a refused page is no visit";

    WorkOnline();
    EXPECT_FALSE(sextant->Offline());
    navigate(url("/page"));
    EXPECT_TRUE(DownloadFile(url("/page"), target));
    EXPECT_EQ(hits, 2);
    EXPECT_GT(QFileInfo(target).size(), 0);
}

TEST_F(BrowserHistoryOffline, TheOfflinePropertySetsTheProgramsState)
{
    sextant->SetOffline(true);
    EXPECT_TRUE(sextant->Offline());
    EXPECT_FALSE(DownloadFile(url("/page"), QTemporaryDir().filePath(QStringLiteral("x"))));
    sextant->SetOffline(false);
    EXPECT_FALSE(sextant->Offline());
}

} // namespace
